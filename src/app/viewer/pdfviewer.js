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
    outline: [], // the file's own bookmarks: { title, page, depth }
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

  // The text node and offset where a piece's character offset falls (marks split the piece).
  function locate(div, offset) {
    const walker = document.createTreeWalker(div, NodeFilter.SHOW_TEXT);
    let passed = 0;
    for (let node = walker.nextNode(); node; node = walker.nextNode()) {
      if (offset <= passed + node.length) return { node, offset: offset - passed };
      passed += node.length;
    }
    return null;
  }

  // The boxes that [begin, end) of a page's text covers, in the page's own pixels.
  function boxesOf(entry, begin, end) {
    const boxes = [];
    const frame = entry.box.getBoundingClientRect();
    const ratio = frame.width > 0 ? entry.box.offsetWidth / frame.width : 1;
    for (let i = begin; i < end;) {
      const piece = entry.at[i][0];
      let j = i;
      while (j + 1 < end && entry.at[j + 1][0] === piece) ++j;
      const div = entry.divs[piece];
      const length = entry.items[piece].str.length;
      const first = div && locate(div, Math.min(entry.at[i][1], length));
      const last = div && locate(div, Math.min(entry.at[j][1] + 1, length));
      if (first && last) {
        const range = document.createRange();
        range.setStart(first.node, first.offset);
        range.setEnd(last.node, last.offset);
        for (const r of range.getClientRects()) {
          if (r.width <= 0 || r.height <= 0) continue;
          boxes.push({ left: (r.left - frame.left) * ratio, top: (r.top - frame.top) * ratio,
                       width: r.width * ratio, height: r.height * ratio });
        }
      }
      i = j + 1;
    }
    return boxes;
  }

  function linkLayerOf(entry) {
    if (!entry.linkLayer) {
      entry.linkLayer = document.createElement('div');
      entry.linkLayer.className = 'linkLayer';
      entry.box.appendChild(entry.linkLayer);
    }
    return entry.linkLayer;
  }

  function placeLink(entry, box, href, title, kind) {
    const link = document.createElement(href ? 'a' : 'span');
    link.className = 'lectoria-link ' + kind;
    if (href) link.href = href;
    if (title) link.title = title;
    link.style.left = box.left + 'px';
    link.style.top = box.top + 'px';
    link.style.width = box.width + 'px';
    link.style.height = box.height + 'px';
    linkLayerOf(entry).appendChild(link);
  }

  const normalized = (text) => text.replace(/\s+/g, ' ').trim();

  // The designations and part references the program found, each found in its page's text
  // after the one before it there; returns how many were placed.
  function addLinks(links) {
    const after = new Map();
    let placed = 0;
    for (const link of links) {
      const entry = state.pages[link.page - 1];
      const needle = normalized(link.text || '');
      if (!entry || !entry.text || !needle) continue;
      const key = link.page + '\n' + needle;
      const at = entry.text.indexOf(needle, after.get(key) || 0);
      if (at < 0) continue;
      after.set(key, at + needle.length);
      for (const box of boxesOf(entry, at, at + needle.length))
        placeLink(entry, box, link.href, link.title, link.kind);
      ++placed;
    }
    return placed;
  }

  // The page of a destination of the file (a name or an explicit one), and the place on it
  // from its top in the page's pixels; null when it has none.
  async function destinationOf(pdf, dest) {
    try {
      const explicit = typeof dest === 'string' ? await pdf.getDestination(dest) : dest;
      if (!Array.isArray(explicit) || !explicit.length) return null;
      const ref = explicit[0];
      const index = ref && typeof ref === 'object' ? await pdf.getPageIndex(ref)
                                                   : Number.isInteger(ref) ? ref : -1;
      if (index < 0 || index >= pdf.numPages) return null;
      let top = 0;
      const entry = state.pages[index];
      if (entry && explicit[1] && explicit[1].name === 'XYZ' && typeof explicit[3] === 'number') {
        const viewport = entry.pdf.getViewport({ scale });
        top = Math.max(0, viewport.convertToViewportPoint(0, explicit[3])[1]);
      }
      return { page: index + 1, top };
    } catch (e) {
      return null;
    }
  }

  // The file's own links to its pages (its table of contents, "см. п. 5"); links out of the
  // file are left as text.
  async function addInternalLinks(pdf) {
    for (const entry of state.pages) {
      let annotations = [];
      try {
        annotations = await entry.pdf.getAnnotations({ intent: 'display' });
      } catch (e) {
        continue;
      }
      const viewport = entry.pdf.getViewport({ scale });
      for (const annotation of annotations.slice(0, 2000)) {
        if (annotation.subtype !== 'Link' || !annotation.dest) continue;
        const target = await destinationOf(pdf, annotation.dest);
        if (!target) continue;
        const [x1, y1, x2, y2] = pdfjsLib.Util.normalizeRect(
          viewport.convertToViewportRectangle(annotation.rect));
        placeLink(entry, { left: x1, top: y1, width: x2 - x1, height: y2 - y1 },
                  '#page' + target.page, '', 'lectoria-internal');
      }
    }
  }

  async function readOutline(pdf) {
    const out = [];
    const walk = async (items, depth) => {
      for (const item of items || []) {
        if (out.length >= 5000 || depth > 12) return;
        const target = item.dest ? await destinationOf(pdf, item.dest) : null;
        out.push({ title: normalized(String(item.title || '')), page: target ? target.page : 0,
                   top: target ? target.top : 0, depth });
        await walk(item.items, depth + 1);
      }
    };
    try {
      await walk(await pdf.getOutline(), 1);
    } catch (e) {
      state.errors.push('outline: ' + String(e && e.message ? e.message : e));
    }
    return out;
  }

  // The page at the top of the view, from 1.
  function pageAtTop() {
    let low = 0, high = state.pages.length - 1, found = 1;
    while (low <= high) {
      const middle = (low + high) >> 1;
      if (state.pages[middle].box.getBoundingClientRect().bottom > 12) {
        found = middle + 1;
        high = middle - 1;
      } else {
        low = middle + 1;
      }
    }
    return found;
  }

  // Shows a part: on its page, the line that begins with its number, else the place given
  // from the page's top.
  function showPart(page, number, top) {
    const entry = state.pages[page - 1];
    if (!entry) return false;
    if (number) {
      for (const div of entry.divs) {
        const text = div.textContent.trim();
        if (text.startsWith(number) && !/[\d.]/.test(text.charAt(number.length) || ' ')) {
          div.scrollIntoView({ block: 'start' });
          return true;
        }
      }
    }
    entry.box.scrollIntoView({ block: 'start' });
    if (top > 0) window.scrollBy(0, top);
    return true;
  }

  // Scrolls the first place that holds text into view (a mention to show).
  function showFirst(text) {
    const needle = normalized(text).toLowerCase();
    if (!needle) return false;
    for (const entry of state.pages) {
      const at = entry.text.toLowerCase().indexOf(needle);
      if (at < 0) continue;
      const div = entry.divs[entry.at[at][0]];
      (div || entry.box).scrollIntoView({ block: 'center' });
      return true;
    }
    return false;
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
        const entry = { pdf: page, box, rendering: false, items: [], divs: [], text: '', at: [] };
        state.pages.push(entry);
        observer.observe(box);
        const content = await page.getTextContent();
        const items = content.items.filter((item) => item.str !== undefined);
        const divs = [];
        await pdfjsLib.renderTextLayer({ textContent: content, container: layer, viewport,
                                         textDivs: divs }).promise;
        const { text, at } = pageText(items);
        Object.assign(entry, { items, divs, text, at });
        if (options.needles.length) {
          const haystack = options.caseSensitive ? text : text.toLowerCase();
          const occurrences = occurrencesIn(haystack, options.needles, options.wholeWords);
          markPieces(divs, items, at, occurrences, number, options.colors);
          number += occurrences.length;
        }
        if (n === 1 && options.scrollTo > 0) window.scrollTo(0, options.scrollTo);
      }
      state.marks = number - 1;
      if (options.scrollTo > 0) window.scrollTo(0, options.scrollTo);
      else if (!state.marks && options.first) showFirst(options.first);
      state.outline = await readOutline(pdf);
      await addInternalLinks(pdf);
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
    addLinks,
    pageAtTop,
    showPart,
    outline: () => state.outline,
    state: () => ({ ready: state.ready, failed: state.failed, marks: state.marks,
                    pages: state.pages.length, drawn: state.rendered,
                    errors: state.errors.join('; ') }),
  };
})();
