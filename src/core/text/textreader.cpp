#include "text/textreader.h"

#include "text/characterreference.h"
#include "text/characterrules.h"
#include "text/markupnames.h"

#include <algorithm>

namespace {

using Encoding = TextEncoding::Encoding;
using SegmentKind = TextSegmentKind;

bool isAsciiLetter(unsigned u)
{
    return (u | 0x20u) >= 'a' && (u | 0x20u) <= 'z';
}

} // namespace

TextReader::TextReader(TextEncoding::Encoding encoding)
    : m_encoding(encoding), m_windows1251(TextEncoding::windows1251Upper())
{
}

void TextReader::read(const char* bytes, qsizetype size, std::vector<Char>& out)
{
    read(bytes, size);
    takeInto(out);
}

void TextReader::readUnits(const char16_t* units, qsizetype size, std::vector<Char>& out)
{
    m_count = 0;
    readUnits(units, size);
    takeInto(out);
}

void TextReader::finish(std::vector<Char>& out)
{
    finish();
    takeInto(out);
}

void TextReader::takeInto(std::vector<Char>& out)
{
    out.insert(out.end(), m_chars.get(), m_chars.get() + m_count);
    m_count = 0;
}

void TextReader::makeRoom(qsizetype units)
{
    // A unit completes at most two characters and a blank; a reference gives back its units.
    const qsizetype needed = m_count + 2 * units + CharacterReference::MaxLength + 8;
    if (needed <= m_capacity)
        return;
    const qsizetype capacity = std::max(needed, 2 * m_capacity);
    std::unique_ptr<Char[]> chars(new Char[size_t(capacity)]);
    std::copy(m_chars.get(), m_chars.get() + m_count, chars.get());
    m_chars = std::move(chars);
    m_capacity = capacity;
}

void TextReader::read(const char* bytes, qsizetype size)
{
    m_count = 0;
    if (!TextEncoding::isUtf16(m_encoding)) {
        if (!m_started && m_encoding == Encoding::Utf8) {
            // A byte-order mark is left out; the bytes are held until it is told.
            static constexpr unsigned char mark[3] = {0xEF, 0xBB, 0xBF};
            while (size > 0 && m_headCount < 3 &&
                   static_cast<unsigned char>(*bytes) == mark[m_headCount]) {
                m_head[size_t(m_headCount++)] = static_cast<unsigned char>(*bytes);
                ++bytes;
                --size;
            }
            if (m_headCount < 3 && size == 0)
                return;
            m_started = true;
            if (m_headCount == 3) {
                addSegment(SegmentKind::Hidden, 0, 3);
                m_at = m_textBegin = 3;
            } else {
                readAll(m_head.data(), m_headCount);
            }
        }
        m_started = true;
        readAll(reinterpret_cast<const unsigned char*>(bytes), size);
        return;
    }
    readUtf16(bytes, size);
}

void TextReader::readUtf16(const char* bytes, qsizetype size)
{
    const bool bigEndian = m_encoding == Encoding::Utf16Be;
    std::array<char16_t, 4096> units;
    size_t count = 0;
    const auto pair = [bigEndian](unsigned a, unsigned b) {
        return char16_t(bigEndian ? (a << 8) | b : (b << 8) | a);
    };
    for (qsizetype i = 0; i < size; ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (m_oddByte < 0) {
            m_oddByte = byte;
            continue;
        }
        units[count++] = pair(unsigned(m_oddByte), byte);
        m_oddByte = -1;
        if (count == units.size()) {
            readUnits(units.data(), qsizetype(count));
            count = 0;
        }
    }
    readUnits(units.data(), qsizetype(count));
}

void TextReader::readUnits(const char16_t* units, qsizetype size)
{
    if (!m_started && size > 0) {
        m_started = true;
        if (units[0] == u'\uFEFF') {
            addSegment(SegmentKind::Hidden, 0, 1);
            m_at = m_textBegin = 1;
            ++units;
            --size;
        }
    }
    readAll(units, size);
}

template <typename Unit> void TextReader::readAll(const Unit* units, qsizetype size)
{
    makeRoom(size);
    const bool windows1251 = m_encoding == Encoding::Windows1251;
    const bool utf16 = TextEncoding::isUtf16(m_encoding);
    for (qsizetype i = 0; i < size; ++i) {
        const unsigned u = units[i];
        // Plain text, the bulk of a page, goes the short way.
        if (m_state == State::Data && !m_raw && !m_inHead && m_partialNeeded == 0 && u != '<' &&
            u != '&') {
            if (u < 0x80) {
                put(u, m_at, m_at + 1);
                ++m_at;
                continue;
            }
            if (windows1251) {
                put(m_windows1251[(u & 0xFFu) - 0x80], m_at, m_at + 1);
                ++m_at;
                continue;
            }
            if (utf16 && (u < 0xD800 || u > 0xDFFF)) {
                put(u, m_at, m_at + 1);
                ++m_at;
                continue;
            }
        }
        // Runs of markup no unit of which changes the reading are passed over at once: the
        // rest of a quoted attribute value, of a comment, of a style or script up to a "<".
        const qsizetype quiet =
            m_raw                          ? (m_rawMatched == 0
                                                  ? qsizetype(MarkupEnd::findAny(units, i, size, unsigned('<'))) - i
                                                  : 0)
            : m_state == State::Attributes ? qsizetype(m_tagEnd.quiet(units, i, size))
            : m_state == State::Comment    ? qsizetype(m_commentEnd.quiet(units, i, size))
                                           : 0;
        if (quiet > 0) {
            i += quiet - 1;
            m_at += quiet;
            continue;
        }
        unit(u);
        ++m_at;
    }
}

void TextReader::finish()
{
    m_count = 0;
    makeRoom(8);
    if (!m_started) {
        m_started = true;
        readAll(m_head.data(), m_headCount);
    }
    if (m_oddByte >= 0) {
        // The odd last byte of a UTF-16 document is no character.
        m_oddByte = -1;
        unit(0xFFFD);
        ++m_at;
    }
    if (m_raw) {
        if (!m_inHead)
            addSegment(SegmentKind::Hidden, m_rawBegin, m_at);
        m_raw = 0;
    } else if (m_closingRaw) {
        if (!m_inHead)
            addSegment(SegmentKind::Hidden, m_rawBegin, m_at);
    } else {
        switch (m_state) {
        case State::Data:
            flushPartial();
            break;
        case State::Reference:
            resolveReference();
            break;
        case State::TagOpen:
        case State::EndTagOpen:
            // "<" or "</" at the very end is text.
            if (!m_inHead) {
                put(U'<', m_markupBegin, m_markupBegin + 1);
                if (m_state == State::EndTagOpen)
                    put(U'/', m_markupBegin + 1, m_markupBegin + 2);
            }
            break;
        case State::Comment:
            if (!m_inHead)
                addSegment(SegmentKind::Hidden, m_markupBegin, m_at);
            m_textBegin = m_at;
            break;
        default:
            if (!m_inHead)
                addSegment(SegmentKind::InlineTag, m_markupBegin, m_at);
            m_textBegin = m_at;
            break;
        }
        if (!m_inHead && m_textBegin < m_at)
            addSegment(SegmentKind::Text, m_textBegin, m_at);
    }
    if (m_inHead)
        addSegment(SegmentKind::Hidden, m_headBegin, m_at);
    m_inHead = false;
    m_state = State::Data;
    m_textBegin = m_at;
    if (m_blankPending) {
        m_chars[size_t(m_count++)] = {U' ', m_blankBegin, m_blankEnd};
        m_blankPending = false;
    }
}

qsizetype TextReader::openTextBegin() const
{
    const bool inText = m_state == State::Data || m_state == State::Reference ||
                        m_state == State::TagOpen || m_state == State::EndTagOpen;
    return inText && !m_inHead && !m_raw && !m_closingRaw ? m_textBegin : -1;
}

void TextReader::unit(unsigned u)
{
    if (m_raw) {
        rawText(u);
        return;
    }
    switch (m_state) {
    case State::Data:
        data(u);
        return;
    case State::Reference: {
        const CharacterReference::Step step = CharacterReference::step(m_referenceCount, u);
        if (step != CharacterReference::Step::Stop) {
            m_reference[size_t(m_referenceCount++)] = char(u);
            if (step == CharacterReference::Step::Last) {
                resolveReference();
                m_state = State::Data;
            }
            return;
        }
        resolveReference();
        m_state = State::Data;
        data(u);
        return;
    }
    case State::TagOpen:
        if (isAsciiLetter(u)) {
            beginMarkup(State::TagName);
            m_endTag = false;
            m_nameLength = 0;
            m_name[size_t(m_nameLength++)] = char(u | 0x20u);
        } else if (u == '/') {
            m_state = State::EndTagOpen;
        } else if (u == '!') {
            beginMarkup(State::DeclarationOpen);
            m_dashes = 0;
        } else if (u == '?') {
            beginMarkup(State::Bogus);
        } else {
            // "<" that begins no markup is text.
            m_state = State::Data;
            if (!m_inHead)
                put(U'<', m_markupBegin, m_markupBegin + 1);
            data(u);
        }
        return;
    case State::EndTagOpen:
        if (isAsciiLetter(u)) {
            beginMarkup(State::TagName);
            m_endTag = true;
            m_nameLength = 0;
            m_name[size_t(m_nameLength++)] = char(u | 0x20u);
        } else {
            beginMarkup(State::Bogus);
            if (u == '>')
                endMarkup(m_at + 1, SegmentKind::InlineTag); // "</>" is nothing
        }
        return;
    case State::TagName:
        if (MarkupEnd::isTagBlank(u) || u == '/' || u == '>') {
            m_tagEnd = MarkupEnd::Tag();
            m_state = State::Attributes;
            unit(u);
        } else {
            if (m_nameLength < int(m_name.size()))
                m_name[size_t(m_nameLength)] = u < 0x80 ? char(u | 0x20u) : '\x01';
            m_nameLength = std::min(m_nameLength + 1, int(m_name.size()) + 1);
        }
        return;
    case State::Attributes:
        if (m_tagEnd.step(u))
            endTag();
        return;
    case State::DeclarationOpen:
        if (u == '-') {
            if (++m_dashes == 2) {
                m_state = State::Comment;
                m_commentEnd = MarkupEnd::Comment();
            }
            return;
        }
        m_state = State::Bogus;
        if (u == '>')
            endMarkup(m_at + 1, SegmentKind::InlineTag);
        return;
    case State::Comment:
        if (m_commentEnd.step(u))
            endMarkup(m_at + 1, SegmentKind::Hidden);
        return;
    case State::Bogus:
        if (u == '>')
            endMarkup(m_at + 1, SegmentKind::InlineTag);
        return;
    }
}

void TextReader::data(unsigned u)
{
    if (u == '<') {
        flushPartial();
        m_markupBegin = m_at;
        m_state = State::TagOpen;
        return;
    }
    if (u == '&') {
        flushPartial();
        m_referenceBegin = m_at;
        m_reference[0] = '&';
        m_referenceCount = 1;
        m_state = State::Reference;
        return;
    }
    text(u);
}

void TextReader::text(unsigned u)
{
    if (m_inHead)
        return;
    if (m_partialNeeded > 0) {
        if (m_encoding == Encoding::Utf8 && (u & 0xC0u) == 0x80) {
            m_partial[size_t(m_partialCount++)] = u;
            if (m_partialCount < m_partialNeeded + 1)
                return;
            static constexpr char32_t least[4] = {0, 0x80, 0x800, 0x10000};
            static constexpr unsigned leadBits[4] = {0, 0x1F, 0x0F, 0x07};
            char32_t c = m_partial[0] & leadBits[m_partialNeeded];
            for (int i = 1; i < m_partialCount; ++i)
                c = (c << 6) | (m_partial[size_t(i)] & 0x3Fu);
            if (c < least[m_partialNeeded] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
                flushPartial();
                return;
            }
            m_partialNeeded = m_partialCount = 0;
            put(c, m_partialBegin, m_at + 1);
            return;
        }
        if (m_encoding != Encoding::Utf8 && u >= 0xDC00 && u <= 0xDFFF) {
            const char32_t c = 0x10000 + ((m_partial[0] - 0xD800) << 10) + (u - 0xDC00);
            m_partialNeeded = m_partialCount = 0;
            put(c, m_partialBegin, m_at + 1);
            return;
        }
        flushPartial();
    }
    if (u < 0x80) {
        put(u, m_at, m_at + 1);
        return;
    }
    int needed = 0;
    switch (m_encoding) {
    case Encoding::Windows1251:
        put(TextEncoding::fromWindows1251(static_cast<unsigned char>(u)), m_at, m_at + 1);
        return;
    case Encoding::Utf8:
        needed = u >= 0xC2 && u <= 0xDF   ? 1
                 : u >= 0xE0 && u <= 0xEF ? 2
                 : u >= 0xF0 && u <= 0xF4 ? 3
                                          : 0;
        break;
    default:
        if (u >= 0xDC00 && u <= 0xDFFF) {
            put(U'\uFFFD', m_at, m_at + 1);
            return;
        }
        if (u < 0xD800 || u > 0xDBFF) {
            put(u, m_at, m_at + 1);
            return;
        }
        needed = 1;
        break;
    }
    if (needed == 0) {
        put(U'\uFFFD', m_at, m_at + 1);
        return;
    }
    m_partial[0] = u;
    m_partialCount = 1;
    m_partialNeeded = needed;
    m_partialBegin = m_at;
}

void TextReader::flushPartial()
{
    // Each unit of a character that did not come whole stands for itself, undecodable.
    const int count = m_partialCount;
    m_partialNeeded = m_partialCount = 0;
    for (int i = 0; i < count; ++i)
        put(U'\uFFFD', m_partialBegin + i, m_partialBegin + i + 1);
}

void TextReader::put(char32_t c, qsizetype begin, qsizetype end)
{
    if ((c <= U' ' || c == U'\u00A0') && CharacterRules::isBlank(c)) {
        blank(begin, end);
        return;
    }
    if (CharacterRules::isIgnorable(c))
        return;
    if (m_blankPending) {
        m_chars[size_t(m_count++)] = {U' ', m_blankBegin, m_blankEnd};
        m_blankPending = false;
    }
    m_chars[size_t(m_count++)] = {c, begin, end};
}

void TextReader::blank(qsizetype begin, qsizetype end)
{
    if (!m_blankPending) {
        m_blankPending = true;
        m_blankBegin = begin;
        m_blankEnd = end;
    }
}

void TextReader::resolveReference()
{
    const int count = m_referenceCount;
    m_referenceCount = 0;
    if (m_inHead)
        return;
    const CharacterReference::Reference reference =
        CharacterReference::parse(m_reference.data(), count);
    int from = 0;
    if (reference.first) {
        const qsizetype end = m_referenceBegin + reference.length;
        if (m_references)
            m_references->emplace_back(m_referenceBegin, end);
        put(reference.first, m_referenceBegin, end);
        if (reference.second)
            put(reference.second, m_referenceBegin, end);
        from = reference.length;
    }
    for (int i = from; i < count; ++i)
        put(char32_t(static_cast<unsigned char>(m_reference[size_t(i)])), m_referenceBegin + i,
            m_referenceBegin + i + 1);
}

void TextReader::beginMarkup(State state)
{
    if (!m_inHead && m_textBegin < m_markupBegin)
        addSegment(SegmentKind::Text, m_textBegin, m_markupBegin);
    m_state = state;
}

void TextReader::endMarkup(qsizetype end, TextSegmentKind kind)
{
    if (!m_inHead)
        addSegment(kind, m_markupBegin, end);
    m_textBegin = end;
    m_state = State::Data;
}

void TextReader::endTag()
{
    const qsizetype end = m_at + 1;
    if (m_closingRaw) {
        m_closingRaw = false;
        if (!m_inHead)
            addSegment(SegmentKind::Hidden, m_rawBegin, end);
        m_textBegin = end;
        m_state = State::Data;
        return;
    }
    const std::string_view name = m_nameLength <= int(m_name.size())
                                      ? std::string_view(m_name.data(), size_t(m_nameLength))
                                      : std::string_view();
    const bool block = MarkupNames::isBlock(name);
    const bool raw = !m_endTag && MarkupNames::isHiddenWhole(name);
    if (m_inHead) {
        if (m_endTag && name == "head") {
            m_inHead = false;
            addSegment(SegmentKind::Hidden, m_headBegin, end);
            m_textBegin = end;
            m_state = State::Data;
            return;
        }
        if (m_endTag || !MarkupNames::endsHead(name)) {
            if (raw)
                startRaw(name);
            m_textBegin = end;
            m_state = State::Data;
            return;
        }
        // The page's body begins without the head's end tag.
        m_inHead = false;
        addSegment(SegmentKind::Hidden, m_headBegin, m_markupBegin);
    } else if (!m_endTag && name == "head") {
        m_inHead = true;
        m_headBegin = m_markupBegin;
        m_state = State::Data;
        return;
    } else if (raw) {
        startRaw(name);
        m_state = State::Data;
        return;
    }
    if (block)
        blank(m_markupBegin, end);
    endMarkup(end, block ? SegmentKind::BlockTag : SegmentKind::InlineTag);
}

void TextReader::startRaw(std::string_view name)
{
    m_raw = int(name.size());
    std::copy(name.begin(), name.end(), m_rawName.begin());
    m_rawMatched = 0;
    m_rawBegin = m_markupBegin;
}

void TextReader::rawText(unsigned u)
{
    // Up to "</name" followed by a blank, "/" or ">": the start of its end tag.
    const auto restart = [this, u] {
        m_rawMatched = u == '<' ? 1 : 0;
        if (u == '<')
            m_markupBegin = m_at;
    };
    if (m_rawMatched == 0) {
        restart();
        return;
    }
    if (m_rawMatched == 1) {
        if (u == '/')
            m_rawMatched = 2;
        else
            restart();
        return;
    }
    const int matched = m_rawMatched - 2;
    if (matched < m_raw) {
        if (u < 0x80 && char(u | 0x20u) == m_rawName[size_t(matched)])
            ++m_rawMatched;
        else
            restart();
        return;
    }
    if (MarkupEnd::isTagBlank(u) || u == '/' || u == '>') {
        m_closingRaw = true;
        m_endTag = true;
        m_raw = 0;
        m_state = State::TagName;
        unit(u);
        return;
    }
    restart();
}

void TextReader::addSegment(TextSegmentKind kind, qsizetype begin, qsizetype end)
{
    if (m_segments && begin < end)
        m_segments->push_back({kind, begin, end});
}
