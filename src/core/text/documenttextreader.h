#pragma once

// How the text of a document is read (see DocumentText), for the core's own use: the markup
// scanner and the character decoder work on bytes or on 16-bit units alike.
#include "text/characterreference.h"
#include "text/documenttext.h"
#include "text/htmlentities.h"
#include "text/markupend.h"
#include "text/markupnames.h"

#include <array>

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

// Finds markup in a document's units from any place where a segment begins (the same rules
// as TextReader, which reads them in one pass).
template <typename Unit> class MarkupScanner
{
public:
    MarkupScanner(const Unit* data, qsizetype size) : m_data(data), m_size(size) {}

    // The segment that begins at at (at < size).
    Segment segmentAt(qsizetype at) const
    {
        const Tag tag = tagAt(at, false);
        return {tag.kind, at, tag.end};
    }

    // The furthest end of a segment or tag told so far: no unit past the two after it was
    // looked at, so that what follows it in a longer document changes nothing told.
    qsizetype reach() const { return m_reach; }

private:
    // What a tag's name means here.
    enum class Meaning : unsigned char
    {
        Other,
        Title,
        Block, // any block but the title
        Head,
        Body,
    };
    // The segment that begins at a place: small enough to come back in registers (one
    // written to memory field by field and read back whole stalls the processor).
    struct Tag
    {
        qsizetype end;
        SegmentKind kind;
        Meaning meaning = Meaning::Other;
        bool endTag = false;
    };

    bool startsMarkup(qsizetype at) const
    {
        if (code(m_data[at]) != '<' || at + 1 >= m_size)
            return false;
        const unsigned next = code(m_data[at + 1]);
        return isAsciiLetter(next) || next == '!' || next == '?' ||
               (next == '/' && at + 2 < m_size);
    }

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

    // Where the text that goes on at from ends: at the next "<" that begins markup.
    qsizetype textEnd(qsizetype from) const
    {
        for (;;) {
            const qsizetype lt = find(from, '<');
            if (lt < 0)
                return m_size;
            if (startsMarkup(lt))
                return lt;
            from = lt + 1;
        }
    }

    // Just past the next c at or after from; the end of the document without one.
    qsizetype pastNext(qsizetype from, unsigned c) const
    {
        const qsizetype at = find(from, c);
        return at < 0 ? m_size : at + 1;
    }

    // Just past the ">" that ends a tag whose name ends at from: the first outside a quoted
    // attribute value.
    qsizetype pastTagEnd(qsizetype from) const
    {
        MarkupEnd::Tag end;
        return pastEnd(from, end);
    }

    // Just past the end of a comment whose "<!--" ends at from.
    qsizetype pastCommentEnd(qsizetype from) const
    {
        MarkupEnd::Comment end;
        return pastEnd(from, end);
    }

    // Just past the unit that ends markup by the rule of end; the end of the document without.
    // (The rule is taken by reference: a small object handed over whole in registers, just
    // written field by field, stalls the processor.)
    template <typename End> qsizetype pastEnd(qsizetype from, End& end) const
    {
        for (qsizetype i = from; i < m_size; ++i) {
            i += qsizetype(end.quiet(m_data, i, m_size));
            if (i >= m_size)
                break;
            if (end.step(code(m_data[i])))
                return i + 1;
        }
        return m_size;
    }

    Tag tagAt(qsizetype at, bool inHead) const
    {
        const Tag tag = readTag(at, inHead);
        m_reach = std::max(m_reach, tag.end);
        return tag;
    }

    Tag readTag(qsizetype at, bool inHead) const
    {
        if (!startsMarkup(at))
            return {textEnd(at + 1), SegmentKind::Text};
        const auto unitIs = [this](qsizetype i, char c) {
            return i < m_size && code(m_data[i]) == unsigned(c);
        };
        const unsigned second = code(m_data[at + 1]);
        if (second == '!' && unitIs(at + 2, '-') && unitIs(at + 3, '-'))
            return {pastCommentEnd(at + 4), SegmentKind::Hidden};
        const bool endTag = second == '/';
        if (second == '!' || second == '?' || (endTag && !isAsciiLetter(code(m_data[at + 2])))) {
            // "</>" is nothing; the others end at the next ">".
            return {pastNext(at + (endTag ? 2 : 1), '>'), SegmentKind::InlineTag};
        }
        const qsizetype nameBegin = at + (endTag ? 2 : 1);
        qsizetype nameEnd = nameBegin;
        std::array<char, 12> lower{};
        while (nameEnd < m_size) {
            const unsigned u = code(m_data[nameEnd]);
            if (MarkupEnd::isTagBlank(u) || u == '/' || u == '>')
                break;
            if (nameEnd - nameBegin < qsizetype(lower.size()))
                lower[size_t(nameEnd - nameBegin)] = u < 0x80 ? char(u | 0x20u) : '\x01';
            ++nameEnd;
        }
        const qsizetype nameLength = nameEnd - nameBegin;
        const std::string_view name = nameLength <= qsizetype(lower.size())
                                          ? std::string_view(lower.data(), size_t(nameLength))
                                          : std::string_view();
        const qsizetype tagEnd = pastTagEnd(nameEnd);
        const bool block = MarkupNames::isBlock(name);
        Tag tag{tagEnd, block ? SegmentKind::BlockTag : SegmentKind::InlineTag, Meaning::Other,
                endTag};
        if (!endTag && MarkupNames::isHiddenWhole(name))
            tag = {hiddenEnd(tagEnd, name), SegmentKind::Hidden, Meaning::Other, endTag};
        else if (!endTag && name == "head" && !inHead)
            tag = {headEnd(tagEnd), SegmentKind::Hidden, Meaning::Other, endTag};
        tag.meaning = name == "title"  ? Meaning::Title
                      : block          ? Meaning::Block
                      : name == "head" ? Meaning::Head
                      : name == "body" ? Meaning::Body
                                       : Meaning::Other;
        return tag;
    }

    // Past the end tag of a head, or up to the start tag that begins the body.
    qsizetype headEnd(qsizetype from) const
    {
        for (qsizetype at = from; at < m_size;) {
            const Tag tag = tagAt(at, true);
            if (tag.endTag && tag.meaning == Meaning::Head)
                return tag.end;
            if (!tag.endTag && (tag.meaning == Meaning::Body || tag.meaning == Meaning::Block))
                return at;
            at = tag.end;
        }
        return m_size;
    }

    // Past the first end tag of a raw element after its start tag; the end without one.
    qsizetype hiddenEnd(qsizetype from, std::string_view name) const
    {
        const qsizetype length = qsizetype(name.size());
        for (qsizetype lt = find(from, '<'); lt >= 0; lt = find(lt + 1, '<')) {
            if (lt + 2 + length >= m_size || code(m_data[lt + 1]) != '/')
                continue;
            bool same = true;
            for (qsizetype i = 0; i < length && same; ++i)
                same = (code(m_data[lt + 2 + i]) | 0x20u) == unsigned(name[size_t(i)]);
            const unsigned after = code(m_data[lt + 2 + length]);
            if (same && (MarkupEnd::isTagBlank(after) || after == '/' || after == '>'))
                return pastTagEnd(lt + 2 + length);
        }
        return m_size;
    }

    const Unit* m_data;
    qsizetype m_size;
    mutable qsizetype m_reach = 0;
};

// A character reference read from its "&" (see CharacterReference): its characters and the
// units it takes.
struct Reference
{
    char32_t first = 0; // 0: no reference starts here
    char32_t second = 0;
    qsizetype end = 0;
};

// Decodes the characters of the text.
template <typename Unit> class TextDecoder
{
public:
    TextDecoder(const Unit* data, Encoding encoding) : m_data(data), m_encoding(encoding) {}

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
        const CharacterReference::Reference found = CharacterReference::readAt(m_data, at, end);
        return {found.first, found.second, at + found.length};
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
    Encoding m_encoding;
};

} // namespace DocumentTextReader
