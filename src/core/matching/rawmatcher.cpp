#include "matching/rawmatcher.h"

#include "text/characterrules.h"
#include "text/documenttext.h"

#include <QList>

RawMatcher::RawMatcher(const QString& context, const MatchOptions& options,
                       TextEncoding::Encoding encoding)
    : m_pattern(context, options.caseSensitive, encoding), m_encoding(encoding),
      m_wholeWords(options.wholeWords)
{
}

qsizetype RawMatcher::next(const char* text, qsizetype size, qsizetype from) const
{
    const bool utf16 = TextEncoding::isUtf16(m_encoding);
    for (qsizetype at = m_pattern.find(text, size, from); at >= 0;) {
        if (utf16 && at % 2 != 0) {
            at = m_pattern.find(text, size, at + 1);
            continue;
        }
        if (m_wholeWords &&
            (CharacterRules::isWordCharacter(characterBefore(text, at)) ||
             CharacterRules::isWordCharacter(characterAt(text, size, at + m_pattern.length())))) {
            // The next place an occurrence may stand is after a character that is no part of
            // a word: those between are skipped at once, not tried one by one.
            qsizetype after = at;
            while (after < size) {
                qsizetype length = 1;
                const char32_t c = characterAt(text, size, after, &length);
                after += length;
                if (!CharacterRules::isWordCharacter(c))
                    break;
            }
            at = m_pattern.find(text, size, after);
            continue;
        }
        return at;
    }
    return -1;
}

namespace {

char32_t unit16(const char* text, qsizetype at, bool bigEndian)
{
    const auto a = uchar(text[at]);
    const auto b = uchar(text[at + 1]);
    return bigEndian ? char32_t(a << 8 | b) : char32_t(b << 8 | a);
}

} // namespace

// The character that ends just before at; U+0020 at the start of the text.
char32_t RawMatcher::characterBefore(const char* text, qsizetype at) const
{
    if (at <= 0)
        return U' ';
    switch (m_encoding) {
    case TextEncoding::Encoding::Windows1251:
        return TextEncoding::fromWindows1251(uchar(text[at - 1]));
    case TextEncoding::Encoding::Utf8: {
        qsizetype lead = at - 1;
        while (lead > 0 && at - lead < 4 && (uchar(text[lead]) & 0xC0) == 0x80)
            --lead;
        const QList<uint> c = QString::fromUtf8(text + lead, at - lead).toUcs4();
        return c.size() == 1 ? c.constFirst() : U'\uFFFD';
    }
    default: {
        if (at < 2)
            return U' ';
        const bool bigEndian = m_encoding == TextEncoding::Encoding::Utf16Be;
        const char32_t low = unit16(text, at - 2, bigEndian);
        if (low >= 0xDC00 && low <= 0xDFFF && at >= 4) {
            const char32_t high = unit16(text, at - 4, bigEndian);
            if (high >= 0xD800 && high <= 0xDBFF)
                return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
        }
        return low;
    }
    }
}

// The character that begins at at (and its bytes, when asked); U+0020 at the end of the text.
char32_t RawMatcher::characterAt(const char* text, qsizetype size, qsizetype at,
                                 qsizetype* bytes) const
{
    qsizetype ignored = 0;
    qsizetype& length = bytes ? *bytes : ignored;
    length = 1;
    if (at >= size)
        return U' ';
    switch (m_encoding) {
    case TextEncoding::Encoding::Windows1251:
        return TextEncoding::fromWindows1251(uchar(text[at]));
    case TextEncoding::Encoding::Utf8: {
        const uchar lead = uchar(text[at]);
        const qsizetype lengthOfLead = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        const QList<uint> c = QString::fromUtf8(text + at, qMin(lengthOfLead, size - at)).toUcs4();
        if (c.size() != 1)
            return U'\uFFFD';
        length = qMin(lengthOfLead, size - at);
        return c.constFirst();
    }
    default: {
        length = 2;
        if (at + 2 > size)
            return U' ';
        const bool bigEndian = m_encoding == TextEncoding::Encoding::Utf16Be;
        const char32_t high = unit16(text, at, bigEndian);
        if (high >= 0xD800 && high <= 0xDBFF && at + 4 <= size) {
            const char32_t low = unit16(text, at + 2, bigEndian);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                length = 4;
                return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
            }
        }
        return high;
    }
    }
}
