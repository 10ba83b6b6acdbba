#include "documenttext.h"

#include "documenttextreader.h"

#include <QChar>
#include <QList>

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

namespace {

using namespace DocumentTextReader;
using Encoding = TextEncoding::Encoding;

qsizetype textStart(const QByteArray& bytes, Encoding encoding)
{
    return encoding == Encoding::Utf8 && bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
}

qsizetype textStart(const std::u16string& units)
{
    return !units.empty() && units[0] == u'\uFEFF' ? 1 : 0;
}

} // namespace

DocumentText::DocumentText(const QByteArray& raw)
    : m_encoding(TextEncoding::detect(raw.constData(), raw.size()))
{
    if (TextEncoding::isUtf16(m_encoding)) {
        m_units =
            TextEncoding::utf16Units(raw.constData(), raw.size(), m_encoding == Encoding::Utf16Be);
        if (raw.size() % 2 != 0)
            m_units += u'\uFFFD'; // the odd last byte
    } else {
        m_bytes = raw;
    }
}

DocumentText::DocumentText(const QByteArray& bytes, TextEncoding::Encoding encoding)
    : m_bytes(bytes), m_encoding(encoding)
{
}

DocumentText::DocumentText(const std::u16string& units, TextEncoding::Encoding encoding)
    : m_units(units), m_encoding(encoding)
{
}

qsizetype DocumentText::unitCount() const
{
    return TextEncoding::isUtf16(m_encoding) ? qsizetype(m_units.size()) : m_bytes.size();
}

std::vector<DocumentText::Segment> DocumentText::segments() const
{
    if (TextEncoding::isUtf16(m_encoding))
        return segmentsOf(m_units.data(), textStart(m_units), qsizetype(m_units.size()));
    return segmentsOf(m_bytes.constData(), textStart(m_bytes, m_encoding), m_bytes.size());
}

void DocumentText::characters(std::vector<Char>& out) const
{
    if (TextEncoding::isUtf16(m_encoding))
        charactersOf(m_units.data(), textStart(m_units), qsizetype(m_units.size()), m_encoding,
                     out);
    else
        charactersOf(m_bytes.constData(), textStart(m_bytes, m_encoding), m_bytes.size(),
                     m_encoding, out);
}

std::vector<DocumentText::Char> DocumentText::characters() const
{
    std::vector<Char> out;
    characters(out);
    return out;
}

QString DocumentText::text() const
{
    const std::vector<Char> all = characters();
    QString text;
    text.reserve(qsizetype(all.size()));
    for (const Char& c : all) {
        if (QChar::requiresSurrogates(c.c)) {
            text += QChar(QChar::highSurrogate(c.c));
            text += QChar(QChar::lowSurrogate(c.c));
        } else {
            text += QChar(char16_t(c.c));
        }
    }
    return text;
}

bool DocumentText::isBlank(char32_t c)
{
    return c == U' ' || c == U'\t' || c == U'\r' || c == U'\n' || c == U'\f' || c == U'\u00A0';
}

bool DocumentText::isWordCharacter(char32_t c)
{
    return QChar::isLetterOrNumber(c);
}

char32_t DocumentText::folded(char32_t c, bool caseSensitive)
{
    return caseSensitive ? c : QChar::toLower(c);
}

std::u32string DocumentText::normalizedContext(const QString& context, bool caseSensitive)
{
    std::u32string out;
    bool blank = false;
    for (const uint c : context.toUcs4()) {
        if (isBlank(c)) {
            blank = true;
            continue;
        }
        if (blank && !out.empty())
            out += U' ';
        blank = false;
        out += folded(c, caseSensitive);
    }
    return out;
}
