#include "matching/documentsearch.h"

#include "pdf/documentfile.h"
#include "text/textencoding.h"

#include <algorithm>

namespace {

using ChunkReader = DocumentFile;

// Fills buffer[from, to) as far as the file allows (to the buffer's end when to is
// negative); the bytes held, or -1 on an error.
qsizetype fill(ChunkReader& reader, std::vector<char>& buffer, qsizetype from, qsizetype to = -1)
{
    const qsizetype end = to < 0 ? qsizetype(buffer.size()) : to;
    const qsizetype read = reader.readFull(buffer.data() + from, end - from);
    return read < 0 ? -1 : from + read;
}

// Empties a reading buffer kept by a thread: a large one is given back, the usual size kept
// for the next document.
void release(QByteArray& buffer)
{
    buffer.resize(0); // keeps its memory, where clear() would not
    if (buffer.capacity() > 1024 * 1024)
        buffer.squeeze();
}

} // namespace

DocumentSearch::DocumentSearch(const QString& context, bool caseSensitive)
    : DocumentSearch(context, MatchOptions{caseSensitive, false, false, false})
{
}

DocumentSearch::DocumentSearch(const QString& context, const MatchOptions& options)
    : m_context(context), m_options(options),
      m_windows1251(context, options.caseSensitive, ContextPattern::Encoding::Windows1251),
      m_utf8(context, options.caseSensitive, ContextPattern::Encoding::Utf8),
      m_text(context, options)
{
    for (const auto encoding : {TextEncoding::Encoding::Windows1251, TextEncoding::Encoding::Utf8,
                                TextEncoding::Encoding::Utf16Le, TextEncoding::Encoding::Utf16Be})
        m_raw.emplace_back(context, options, encoding);
}

const ContextPattern& DocumentSearch::patternFor(ContextPattern::Encoding encoding) const
{
    return encoding == ContextPattern::Encoding::Utf8 ? m_utf8 : m_windows1251;
}

bool DocumentSearch::contains(const QString& path, const std::atomic<bool>* cancel,
                              bool* unreadable, bool* withoutText) const
{
    bool ignored = false;
    bool& failed = unreadable ? *unreadable : ignored;
    failed = false;
    if (withoutText)
        *withoutText = false;
    if (m_options.textMode ? !m_text.isValid() : m_context.isEmpty())
        return false;
    ChunkReader reader(path, cancel);
    if (!reader.isOpen()) {
        failed = reader.openFailed(); // a folder named like a document is just no document
        if (withoutText)
            *withoutText = reader.isWithoutText();
        return false;
    }
    // A chunk holds several contexts, however long the context is.
    const qsizetype chunk =
        std::max(ChunkSize, 4 * std::max(m_windows1251.length(), m_utf8.length()));
    thread_local std::vector<char> buffer;
    if (buffer.size() != size_t(chunk))
        buffer.assign(size_t(chunk), '\0');

    const bool looksFirst =
        m_options.textMode && !reader.isPdfDocument() && m_text.isValid() && m_firstLook.isWanted();
    qsizetype held = fill(reader, buffer, 0, looksFirst ? FirstLook::Size : -1);
    if (held <= 0) {
        failed = held < 0;
        return false;
    }
    // The encoding is decided on the document's own first bytes, as for its highlighted copy.
    const TextEncoding::Encoding encoding = TextEncoding::detect(buffer.data(), held);
    if (looksFirst && held == FirstLook::Size) {
        // The first bytes of a longer document, looked at alone; the rest of the chunk follows
        // unless they answer, and what the look found is not sought again.
        TextSearch::Beginning first;
        const bool answered = m_text.foundInBeginning(buffer.data(), held, encoding, &first);
        m_firstLook.noteLook(answered);
        if (answered)
            return true;
        held = fill(reader, buffer, held);
        if (held < 0) {
            failed = true;
            return false;
        }
        return containsText(reader, buffer, held, encoding, cancel, unreadable, &first);
    }
    // A PDF has no bytes of a page to match: every mode looks at its text.
    if (m_options.textMode || reader.isPdfDocument())
        return m_text.isValid() && containsText(reader, buffer, held, encoding, cancel, unreadable);
    if (m_options.wholeWords || TextEncoding::isUtf16(encoding))
        return containsWhole(reader, buffer, held, encoding, cancel, unreadable);
    const ContextPattern& pattern = patternFor(encoding);
    if (!pattern.isValid())
        return false;
    if (pattern.hasLineBreak())
        return containsJoined(reader, buffer, held, pattern, cancel, unreadable);
    const qsizetype keep = pattern.length() - 1;
    for (;;) {
        if (pattern.find(buffer.data(), held) >= 0)
            return true;
        if (held < qsizetype(buffer.size()))
            return false; // the file has ended
        if (cancel && cancel->load(std::memory_order_relaxed))
            return false;
        // The next chunk, after the tail that a match across the boundary could start in.
        std::copy(buffer.end() - keep, buffer.end(), buffer.begin());
        const qsizetype next = fill(reader, buffer, keep);
        failed = next < 0;
        if (next <= keep)
            return false;
        held = next;
    }
}

bool DocumentSearch::containsWhole(DocumentFile& reader, std::vector<char>& buffer, qsizetype held,
                                   TextEncoding::Encoding encoding, const std::atomic<bool>* cancel,
                                   bool* unreadable) const
{
    if (held < qsizetype(buffer.size()) && !TextEncoding::isUtf16(encoding)) {
        // The whole document is in the buffer.
        const QByteArray joined =
            TextEncoding::joinLines(QByteArray::fromRawData(buffer.data(), held));
        return m_raw[size_t(encoding)].next(joined.constData(), joined.size()) >= 0;
    }
    // The rest is read straight after the first chunk.
    thread_local QByteArray whole;
    whole.clear();
    whole.append(buffer.data(), held);
    for (qsizetype read = held; read == qsizetype(buffer.size());) {
        if (cancel && cancel->load(std::memory_order_relaxed))
            return false;
        const qsizetype at = whole.size();
        whole.resize(at + qsizetype(buffer.size()));
        read = reader.readFull(whole.data() + at, qsizetype(buffer.size()));
        if (read < 0) {
            if (unreadable)
                *unreadable = true;
            return false;
        }
        whole.resize(at + read);
    }
    const RawMatcher& matcher = m_raw[size_t(encoding)];
    if (!matcher.isValid())
        return false;
    if (TextEncoding::isUtf16(encoding)) {
        const bool bigEndian = encoding == TextEncoding::Encoding::Utf16Be;
        const std::u16string joined = TextEncoding::joinLines(
            TextEncoding::utf16Units(whole.constData(), whole.size(), bigEndian));
        const QByteArray bytes =
            TextEncoding::utf16Bytes(joined.data(), qsizetype(joined.size()), bigEndian);
        return matcher.next(bytes.constData(), bytes.size()) >= 0;
    }
    const QByteArray joined = TextEncoding::joinLines(whole);
    return matcher.next(joined.constData(), joined.size()) >= 0;
}

bool DocumentSearch::containsText(DocumentFile& reader, std::vector<char>& buffer, qsizetype held,
                                  TextEncoding::Encoding encoding, const std::atomic<bool>* cancel,
                                  bool* unreadable, const TextSearch::Beginning* known) const
{
    const bool complete = held < qsizetype(buffer.size());
    if (complete)
        return m_text.contains(buffer.data(), held, cancel, known);
    // A context found in the first chunk, where the rest cannot change it, ends the reading.
    TextSearch::Beginning beginning;
    if (m_text.foundInBeginning(buffer.data(), held, encoding, &beginning, known))
        return true;
    // Up to a few megabytes are looked at whole, around the places the context may be at.
    thread_local QByteArray whole;
    whole.resize(0);
    if (m_text.looksAround(encoding)) {
        whole.append(buffer.data(), held);
        while (whole.size() < WholeTextLimit) {
            if (cancel && cancel->load(std::memory_order_relaxed))
                return false;
            const qsizetype at = whole.size();
            whole.resize(at + qsizetype(buffer.size()));
            const qsizetype read = reader.readFull(whole.data() + at, qsizetype(buffer.size()));
            if (read < 0) {
                if (unreadable)
                    *unreadable = true;
                return false;
            }
            whole.resize(at + read);
            if (read < qsizetype(buffer.size())) {
                const bool found =
                    m_text.contains(whole.constData(), whole.size(), cancel, &beginning);
                release(whole);
                return found;
            }
        }
    }
    // A larger document is read in pieces, from the start.
    TextSearch::Reading reading(m_text, encoding);
    const bool begun = !whole.isEmpty();
    bool foundInWhole = false;
    for (qsizetype at = 0; at < whole.size() && !foundInWhole; at += TextSearch::ReadingPiece)
        foundInWhole = reading.read(whole.constData() + at,
                                    std::min(TextSearch::ReadingPiece, whole.size() - at));
    release(whole);
    if (foundInWhole)
        return true;
    if (!begun && reading.read(buffer.data(), held))
        return true;
    for (;;) {
        if (cancel && cancel->load(std::memory_order_relaxed))
            return false;
        held = fill(reader, buffer, 0);
        if (held < 0) {
            if (unreadable)
                *unreadable = true;
            return false;
        }
        if (held == 0)
            return reading.finish();
        if (reading.read(buffer.data(), held))
            return true;
    }
}

bool DocumentSearch::containsJoined(DocumentFile& reader, std::vector<char>& buffer, qsizetype held,
                                    const ContextPattern& pattern, const std::atomic<bool>* cancel,
                                    bool* unreadable)
{
    // A context with a line break can only match the lines as joined with CR LF: the raw
    // chunks are joined as they are read, a tail kept for a match across two of them.
    const qsizetype keep = pattern.length() - 1;
    TextEncoding::LineJoiner joiner;
    QByteArray text;
    text.reserve(qsizetype(buffer.size()) * 2 + keep + 2);
    for (;;) {
        const bool last = held < qsizetype(buffer.size());
        joiner.feed(buffer.data(), held, text);
        if (last)
            joiner.finish(text);
        if (pattern.find(text.constData(), text.size()) >= 0)
            return true;
        if (last || (cancel && cancel->load(std::memory_order_relaxed)))
            return false;
        text.remove(0, std::max<qsizetype>(0, text.size() - keep));
        held = fill(reader, buffer, 0);
        if (held < 0) {
            if (unreadable)
                *unreadable = true;
            return false;
        }
    }
}
