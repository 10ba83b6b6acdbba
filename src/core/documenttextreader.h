#pragma once

// How the text of a document is read (see DocumentText), for the core's own use: the markup
// scanner and the character decoder work on bytes or on 16-bit units alike.
#include "documenttext.h"
#include "htmlentities.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

namespace DocumentTextReader {

using Segment = DocumentText::Segment;
using SegmentKind = DocumentText::SegmentKind;
using Encoding = TextEncoding::Encoding;

template <typename Unit> unsigned code(Unit u)
{
    if constexpr (sizeof(Unit) == 1)
        return static_cast<unsigned char>(u);
    else
        return unsigned(u);
}

inline bool isAsciiLetter(unsigned c)
{
    return (c | 0x20u) >= 'a' && (c | 0x20u) <= 'z';
}

inline bool isNameCharacter(unsigned c)
{
    return isAsciiLetter(c) || (c >= '0' && c <= '9') || c == ':' || c == '-' || c == '_' ||
           c == '.';
}

inline bool startsTag(unsigned c)
{
    return isAsciiLetter(c) || c == '/' || c == '!' || c == '?';
}

// Finds markup in a document's units from left to right.
template <typename Unit> class MarkupScanner
{
public:
    MarkupScanner(const Unit* data, qsizetype size) : m_data(data), m_size(size) {}

    // The segment that begins at at (at < size).
    Segment segmentAt(qsizetype at) const
    {
        if (code(m_data[at]) == '<' && at + 1 < m_size && startsTag(code(m_data[at + 1])))
            return markupAt(at);
        return {SegmentKind::Text, at, textEnd(at + 1)};
    }

private:
    qsizetype find(qsizetype from, unsigned c) const
    {
        if constexpr (sizeof(Unit) == 1) {
            const void* hit =
                from < m_size ? std::memchr(m_data + from, int(c), size_t(m_size - from)) : nullptr;
            return hit ? static_cast<const Unit*>(hit) - m_data : -1;
        } else {
            for (qsizetype i = from; i < m_size; ++i) {
                if (code(m_data[i]) == c)
                    return i;
            }
            return -1;
        }
    }

    // Where the text that goes on at from ends: at the next "<" that starts a tag.
    qsizetype textEnd(qsizetype from) const
    {
        for (;;) {
            const qsizetype lt = find(from, '<');
            if (lt < 0)
                return m_size;
            if (lt + 1 < m_size && startsTag(code(m_data[lt + 1])))
                return lt;
            from = lt + 1;
        }
    }

    // Just past the next ">" at or after from; the end of the document without one.
    qsizetype pastTagEnd(qsizetype from) const
    {
        const qsizetype gt = find(from, '>');
        return gt < 0 ? m_size : gt + 1;
    }

    bool nameIs(qsizetype at, qsizetype length, std::string_view name) const
    {
        if (qsizetype(name.size()) != length)
            return false;
        for (qsizetype i = 0; i < length; ++i) {
            if ((code(m_data[at + i]) | 0x20u) != unsigned(name[i]))
                return false;
        }
        return true;
    }

    Segment markupAt(qsizetype at) const
    {
        const auto unitIs = [this](qsizetype i, char c) {
            return i < m_size && code(m_data[i]) == unsigned(c);
        };
        if (unitIs(at + 1, '!') && unitIs(at + 2, '-') && unitIs(at + 3, '-')) {
            // A comment ends with the first "-->" after "<!" ("<!-->" is a whole one).
            for (qsizetype dash = find(at + 2, '-'); dash >= 0; dash = find(dash + 1, '-')) {
                if (unitIs(dash + 1, '-') && unitIs(dash + 2, '>'))
                    return {SegmentKind::Hidden, at, dash + 3};
            }
            return {SegmentKind::Hidden, at, m_size};
        }
        const bool endTag = unitIs(at + 1, '/');
        const qsizetype nameBegin = at + (endTag ? 2 : 1);
        qsizetype nameEnd = nameBegin;
        while (nameEnd < m_size && isNameCharacter(code(m_data[nameEnd])))
            ++nameEnd;
        const qsizetype nameLength = nameEnd - nameBegin;
        const qsizetype tagEnd = pastTagEnd(at + 1);
        // Names are told by their length first: most tags are compared once or not at all.
        const auto is = [&](std::string_view name) { return nameIs(nameBegin, nameLength, name); };
        bool block = false;
        std::string_view hidden;
        switch (nameLength) {
        case 1:
            block = is("p");
            break;
        case 2: {
            const unsigned a = code(m_data[nameBegin]) | 0x20u;
            const unsigned b = code(m_data[nameBegin + 1]) | 0x20u;
            block = (a == 'h' && ((b >= '1' && b <= '6') || b == 'r')) || (a == 'b' && b == 'r') ||
                    (a == 't' && (b == 'r' || b == 'd' || b == 'h')) || (a == 'l' && b == 'i') ||
                    (a == 'u' && b == 'l') || (a == 'o' && b == 'l') ||
                    (a == 'd' && (b == 'd' || b == 't'));
            break;
        }
        case 3:
            block = is("div") || is("pre");
            hidden = is("xml") ? std::string_view("xml") : std::string_view();
            break;
        case 4:
            hidden = is("head") ? std::string_view("head") : std::string_view();
            break;
        case 5:
            block = is("table") || is("title");
            hidden = is("style") ? std::string_view("style") : std::string_view();
            break;
        case 6:
            hidden = is("script") ? std::string_view("script") : std::string_view();
            break;
        case 10:
            block = is("blockquote");
            break;
        default:
            break;
        }
        if (!endTag && !hidden.empty())
            return {SegmentKind::Hidden, at, hiddenEnd(tagEnd, hidden, nameLength)};
        if (block)
            return {SegmentKind::BlockTag, at, tagEnd};
        return {SegmentKind::InlineTag, at, tagEnd};
    }

    // Past the first end tag of the element after its start tag; the end of the document
    // without one.
    qsizetype hiddenEnd(qsizetype from, std::string_view name, qsizetype nameLength) const
    {
        for (qsizetype lt = find(from, '<'); lt >= 0; lt = find(lt + 1, '<')) {
            if (lt + 2 + nameLength > m_size || code(m_data[lt + 1]) != '/' ||
                !nameIs(lt + 2, nameLength, name))
                continue;
            const qsizetype after = lt + 2 + nameLength;
            if (after < m_size && isNameCharacter(code(m_data[after])))
                continue; // a longer name
            return pastTagEnd(after);
        }
        return m_size;
    }

    const Unit* m_data;
    qsizetype m_size;
};

// A character reference read from its "&": the units after it, as far as they can belong to
// one (text only: markup that vanishes between them is skipped, as it is gone before
// references are decoded).
struct Reference
{
    char32_t first = 0; // 0: no reference starts here
    char32_t second = 0;
    qsizetype end = 0; // past its ";"
};

inline Reference parseReference(const char* s, const qsizetype* ends, int n)
{
    Reference none;
    int i = 1;
    if (i < n && s[i] == '#') {
        ++i;
        const bool hex = i < n && (s[i] | 0x20) == 'x';
        if (hex)
            ++i;
        const int digits = i;
        quint64 value = 0;
        for (; i < n; ++i) {
            const unsigned u = static_cast<unsigned char>(s[i]);
            unsigned digit = 0;
            if (u >= '0' && u <= '9')
                digit = u - '0';
            else if (hex && (u | 0x20u) >= 'a' && (u | 0x20u) <= 'f')
                digit = (u | 0x20u) - 'a' + 10;
            else
                break;
            value = std::min<quint64>(value * (hex ? 16 : 10) + digit, 0x110000);
        }
        if (i == digits || i >= n || s[i] != ';')
            return none;
        const bool valid = value != 0 && value <= 0x10FFFF && !(value >= 0xD800 && value <= 0xDFFF);
        return {valid ? char32_t(value) : U'\uFFFD', 0, ends[i]};
    }
    const int nameBegin = i;
    while (i < n && i - nameBegin < HtmlEntities::MaxNameLength &&
           (isAsciiLetter(static_cast<unsigned char>(s[i])) || (s[i] >= '0' && s[i] <= '9')))
        ++i;
    if (i == nameBegin || i >= n || s[i] != ';')
        return none;
    Reference found;
    if (!HtmlEntities::lookup(s + nameBegin, i - nameBegin, &found.first, &found.second))
        return none;
    found.end = ends[i];
    return found;
}

// Decodes the characters of the text.
template <typename Unit> class TextDecoder
{
public:
    TextDecoder(const Unit* data, qsizetype size, Encoding encoding,
                const MarkupScanner<Unit>& scanner)
        : m_data(data), m_size(size), m_encoding(encoding), m_scanner(scanner)
    {
    }

    // The character at at (inside a text segment that ends at end) and the units it takes.
    char32_t decode(qsizetype at, qsizetype end, qsizetype* length) const
    {
        const unsigned first = code(m_data[at]);
        *length = 1;
        if (first < 0x80)
            return first;
        switch (m_encoding) {
        case Encoding::Windows1251:
            return TextEncoding::fromWindows1251(static_cast<unsigned char>(first));
        case Encoding::Utf8:
            return utf8(at, end, length);
        default:
            return utf16(at, end, length);
        }
    }

    // The reference that starts with the "&" at at, inside a text segment ending at end.
    Reference reference(qsizetype at, qsizetype end) const
    {
        constexpr int limit = HtmlEntities::MaxNameLength + 12;
        char units[limit];
        qsizetype ends[limit];
        int n = 0;
        qsizetype i = at;
        while (n < limit) {
            if (i == end) {
                // The text goes on after markup that vanishes; a blank or the end stops it.
                if (i >= m_size)
                    break;
                const Segment next = m_scanner.segmentAt(i);
                if (next.kind == SegmentKind::InlineTag || next.kind == SegmentKind::Hidden) {
                    i = end = next.end;
                    continue;
                }
                if (next.kind != SegmentKind::Text)
                    break;
                end = next.end;
            }
            const unsigned u = code(m_data[i]);
            if (u >= 0x80)
                break;
            units[n] = char(u);
            ends[n] = i + 1;
            ++n;
            ++i;
            if (u == ';' || (n > 1 && !isAsciiLetter(u) && !(u >= '0' && u <= '9') && u != '#'))
                break;
        }
        return parseReference(units, ends, n);
    }

private:
    char32_t utf8(qsizetype at, qsizetype end, qsizetype* length) const
    {
        const unsigned first = code(m_data[at]);
        int more = 0;
        char32_t c = 0;
        char32_t least = 0;
        if (first >= 0xC2 && first <= 0xDF) {
            more = 1, c = first & 0x1F, least = 0x80;
        } else if (first >= 0xE0 && first <= 0xEF) {
            more = 2, c = first & 0x0F, least = 0x800;
        } else if (first >= 0xF0 && first <= 0xF4) {
            more = 3, c = first & 0x07, least = 0x10000;
        } else {
            return U'\uFFFD';
        }
        if (at + more >= end)
            return U'\uFFFD';
        for (int i = 1; i <= more; ++i) {
            const unsigned next = code(m_data[at + i]);
            if ((next & 0xC0) != 0x80)
                return U'\uFFFD';
            c = (c << 6) | (next & 0x3F);
        }
        if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            return U'\uFFFD';
        *length = 1 + more;
        return c;
    }

    char32_t utf16(qsizetype at, qsizetype end, qsizetype* length) const
    {
        const unsigned first = code(m_data[at]);
        if (first < 0xD800 || first > 0xDFFF)
            return first;
        if (first <= 0xDBFF && at + 1 < end) {
            const unsigned low = code(m_data[at + 1]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                *length = 2;
                return 0x10000 + ((first - 0xD800) << 10) + (low - 0xDC00);
            }
        }
        return U'\uFFFD';
    }

    const Unit* m_data;
    qsizetype m_size;
    Encoding m_encoding;
    const MarkupScanner<Unit>& m_scanner;
};

template <typename Unit>
std::vector<Segment> segmentsOf(const Unit* data, qsizetype begin, qsizetype size)
{
    std::vector<Segment> out;
    const MarkupScanner<Unit> scanner(data, size);
    if (begin > 0)
        out.push_back({SegmentKind::Hidden, 0, begin}); // the byte-order mark
    for (qsizetype at = begin; at < size;) {
        out.push_back(scanner.segmentAt(at));
        at = out.back().end;
    }
    return out;
}

// The characters of the text from begin (the start of a segment, read from there as if the
// document began there) up to the first segment that starts once charsAfter characters at or
// after stopUnit are out (to the end by default).
template <typename Unit>
void charactersOf(const Unit* data, qsizetype begin, qsizetype size, Encoding encoding,
                  std::vector<DocumentText::Char>& out, qsizetype stopUnit = -1,
                  qsizetype charsAfter = 0)
{
    out.clear();
    qsizetype after = 0;
    const MarkupScanner<Unit> scanner(data, size);
    const TextDecoder<Unit> decoder(data, size, encoding, scanner);
    bool blankPending = false;
    qsizetype blankBegin = 0;
    qsizetype blankEnd = 0;
    const auto blank = [&](qsizetype from, qsizetype to) {
        if (!blankPending) {
            blankPending = true;
            blankBegin = from;
            blankEnd = to;
        }
    };
    const auto put = [&](char32_t c, qsizetype from, qsizetype to) {
        if (DocumentText::isBlank(c)) {
            blank(from, to);
            return;
        }
        if (blankPending) {
            out.push_back({U' ', blankBegin, blankEnd});
            blankPending = false;
        }
        out.push_back({c, from, to});
        if (stopUnit >= 0 && from >= stopUnit)
            ++after;
    };
    for (qsizetype at = begin; at < size;) {
        if (stopUnit >= 0 && after >= charsAfter)
            return; // a blank still pending makes no difference to what was asked
        const Segment segment = scanner.segmentAt(at);
        at = segment.end;
        if (segment.kind == SegmentKind::BlockTag)
            blank(segment.begin, segment.end);
        if (segment.kind != SegmentKind::Text)
            continue;
        for (qsizetype i = segment.begin; i < segment.end;) {
            if (code(data[i]) == '&') {
                const Reference reference = decoder.reference(i, segment.end);
                if (reference.first) {
                    put(reference.first, i, reference.end);
                    if (reference.second)
                        put(reference.second, i, reference.end);
                    i = reference.end;
                    if (i > segment.end) {
                        at = i; // the reference went on past markup: the text goes on there
                        break;
                    }
                    continue;
                }
            }
            qsizetype length = 1;
            const char32_t c = decoder.decode(i, segment.end, &length);
            put(c, i, i + length);
            i += length;
        }
    }
    if (blankPending)
        out.push_back({U' ', blankBegin, blankEnd});
}

} // namespace DocumentTextReader
