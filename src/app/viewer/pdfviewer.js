// Shows a PDF document in the viewer with pdf.js, page by page, and marks the occurrences the
// search found. Runs in the program's own script world after pdf.js (its worker in this same
// thread); the file's own scripts never run (pdf.js runs none: no eval, no scripting), and its
// links lead only to its own pages.
(function () {
  'use strict';
  const scale = 96 / 72; // CSS pixels per PDF point: a page at zoom 100 % is its printed size

  const state = {
    ready: false, // pages laid out and the marks made
    failed: false,
    errors: [], // what went wrong drawing pages, for the curious
    keepAll: false,
    marks: 0,
    pages: [],
    rendered: 0,
  };

  const isWordChar = (c) => /[\p{L}\p{N}]/u.test(c);

  // The text of a page as the search reads it, and where each of its characters stands
  // among the text layer's pieces: blanks made one, a word broken by a hyphen at a line end
  // whole again, a designation's hyphen kept.
  function pageText(items) {
    let text = '';
    const at = []; // [piece, offset] of each character of text
    const push = (c, piece, offset) => {
      if (/\s/.test(c)) {
        if (text === '' || text.endsWith(' ')) return;
        c = ' ';
      }
      text += c;
      at.push([piece, offset]);
    };
    items.forEach((item, piece) => {
      for (let i = 0; i < item.str.length; ++i) push(item.str[i], piece, i);
      if (!item.hasEOL) return;
      const next = items.slice(piece + 1).find((later) => later.str.trim() !== '');
      const first = next ? next.str.trim()[0] : '';
      const last = text.slice(-2);
      if (last.length === 2 && last[1] === '-' && /\p{L}/u.test(last[0]) &&
          first && first === first.toLowerCase() && first !== first.toUpperCase()) {
        text = text.slice(0, -1); // the hyphen only broke the line
        at.pop();
      } else if (!(last.length === 2 && last[1] === '-' && isWordChar(last[0]) &&
                   first && isWordChar(first))) {
        push(' ', piece, item.str.length);
      }
    });
    return { text, at };
  }

  // The occurrences of the needles in a page's text, in order, none overlapping.
  function occurrencesIn(text, needles, wholeWords) {
    const found = [];
    for (const needle of needles) {
      if (!needle) continue;
      for (let i = text.indexOf(needle); i >= 0; i = text.indexOf(needle, i + 1)) {
        const end = i + needle.length;
        if (wholeWords && ((i > 0 && isWordChar(text[i - 1])) ||
                           (end < text.length && isWordChar(text[end]))))
          continue;
        found.push([i, end]);
      }
    }
    found.sort((a, b) => a[0] - b[0] || b[1] - a[1]);
    const kept = [];
    for (const o of found) {
      if (!kept.length || o[0] >= kept[kept.length - 1][1]) kept.push(o);
    }
    return kept;
  }

  // Wraps the occurrences' characters in each piece of the text layer.
  function markPieces(divs, items, at, occurrences, firstNumber, colors) {
    const byPiece = new Map();
    occurrences.forEach(([begin, end], k) => {
      for (let i = begin; i < end; ++i) {
        const [piece, offset] = at[i];
        if (offset >= items[piece].str.length) continue;
        if (!byPiece.has(piece)) byPiece.set(piece, []);
        const ranges = byPiece.get(piece);
        const last = ranges[ranges.length - 1];
        if (last && last.number === firstNumber + k && last.end === offset) last.end = offset + 1;
        else ranges.push({ number: firstNumber + k, begin: offset, end: offset + 1 });
      }
    });
    for (const [piece, ranges] of byPiece) {
      const div = divs[piece];
      if (!div) continue;
      const str = items[piece].str;
      div.textContent = '';
      let from = 0;
      for (const r of ranges) {
        if (r.begin > from) div.appendChild(document.createTextNode(str.slice(from, r.begin)));
        const mark = document.createElement('span');
        mark.className = 'lectoria-mark';
        mark.setAttribute('data-occurrence', String(r.number));
        mark.style.background = colors.back;
        mark.textContent = str.slice(r.begin, r.end);
        div.appendChild(mark);
        from = r.end;
      }
      if (from < str.length) div.appendChild(document.createTextNode(str.slice(from)));
    }
  }

  function forget(page) {
    const picture = page.picture;
    if (!picture || !page.rendering) return;
    page.picture = null;
    page.rendering = false;
    --state.rendered;
    URL.revokeObjectURL(picture.src);
    picture.remove();
  }

  async function renderCanvas(page) {
    if (page.rendering) return;
    page.rendering = true;
    const ratio = window.devicePixelRatio || 1;
    const viewport = page.pdf.getViewport({ scale: scale * ratio });
    const canvas = document.createElement('canvas');
    canvas.width = Math.floor(viewport.width);
    canvas.height = Math.floor(viewport.height);
    try {
      const context = canvas.getContext('2d', { willReadFrequently: true });
      await page.pdf.render({ canvasContext: context, viewport }).promise;
      // Shown as a picture: a canvas stays blank on screens without a graphics card's help.
      const blob = await new Promise((resolve) => canvas.toBlob(resolve));
      const picture = document.createElement('img');
      picture.src = URL.createObjectURL(blob);
      await picture.decode();
      picture.className = 'drawn';
      page.box.insertBefore(picture, page.box.firstChild);
      page.picture = picture;
      canvas.width = canvas.height = 0;
      ++state.rendered;
    } catch (e) {
      page.rendering = false;
      state.errors.push(String(e && e.message ? e.message : e));
    }
  }

  async function open(url, options) {
    const body = document.getElementById('pages');
    try {
      const task = pdfjsLib.getDocument({
        url,
        isEvalSupported: false,
        enableXfa: false,
        disableAutoFetch: true,
        fontExtraProperties: false,
      });
      const pdf = await task.promise;
      // Pages are drawn as they come near the view, and let go when they are far from it, so
      // that a long document does not hold the picture of every page read.
      const observer = new IntersectionObserver((entries) => {
        for (const entry of entries) {
          const page = state.pages[Number(entry.target.dataset.page) - 1];
          if (entry.isIntersecting) renderCanvas(page);
          else if (!state.keepAll) forget(page);
        }
      }, { rootMargin: '1200px 0px' });
      let number = 1;
      for (let n = 1; n <= pdf.numPages; ++n) {
        const page = await pdf.getPage(n);
        const viewport = page.getViewport({ scale });
        const box = document.createElement('div');
        box.className = 'page';
        box.dataset.page = String(n);
        box.id = 'page' + n;
        box.style.width = viewport.width + 'px';
        box.style.height = viewport.height + 'px';
        const layer = document.createElement('div');
        layer.className = 'textLayer';
        box.appendChild(layer);
        body.appendChild(box);
        const entry = { pdf: page, box, rendering: false };
        state.pages.push(entry);
        observer.observe(box);
        const content = await page.getTextContent();
        const items = content.items.filter((item) => item.str !== undefined);
        const divs = [];
        await pdfjsLib.renderTextLayer({ textContent: content, container: layer, viewport,
                                         textDivs: divs }).promise;
        if (options.needles.length) {
          const { text, at } = pageText(items);
          const haystack = options.caseSensitive ? text : text.toLowerCase();
          const occurrences = occurrencesIn(haystack, options.needles, options.wholeWords);
          markPieces(divs, items, at, occurrences, number, options.colors);
          number += occurrences.length;
        }
        if (n === 1 && options.scrollTo > 0) window.scrollTo(0, options.scrollTo);
      }
      state.marks = number - 1;
      if (options.scrollTo > 0) window.scrollTo(0, options.scrollTo);
    } catch (e) {
      state.failed = true;
      body.textContent = 'Документ PDF не удалось показать: ' + (e && e.message ? e.message : e);
      body.className = 'failed';
    }
    state.ready = true;
  }

  // Every page drawn, as printing needs them; true once they all are.
  function renderAll() {
    state.keepAll = true; // the printer takes every page
    state.pages.forEach((page) => renderCanvas(page));
    return state.rendered >= state.pages.length;
  }

  window.lectoriaPdf = {
    open,
    renderAll,
    state: () => ({ ready: state.ready, failed: state.failed, marks: state.marks,
                    pages: state.pages.length, drawn: state.rendered,
                    errors: state.errors.join('; ') }),
  };
})();
