#include "text/documenttext.h"

#include "text/characterrules.h"
#include "text/textreader.h"

#include <QChar>
#include <QList>

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

namespace {

// Reads the whole document in pieces, handing each piece's characters to take.
template <typename Take>
void readInPieces(const QByteArray& bytes, const std::u16string& units,
                  TextEncoding::Encoding encoding, std::vector<DocumentText::Segment>* segments,
                  Take take)
{
    constexpr qsizetype piece = 64 * 1024;
    TextReader reader(encoding);
    reader.setSegments(segments);
    std::vector<DocumentText::Char> chars;
    if (TextEncoding::isUtf16(encoding)) {
        for (qsizetype at = 0; at < qsizetype(units.size()); at += piece) {
            reader.readUnits(units.data() + at, std::min(piece, qsizetype(units.size()) - at),
                             chars);
            take(chars);
            chars.clear();
        }
    } else {
        for (qsizetype at = 0; at < bytes.size(); at += piece) {
            reader.read(bytes.constData() + at, std::min(piece, bytes.size() - at), chars);
            take(chars);
            chars.clear();
        }
    }
    reader.finish(chars);
    take(chars);
}

} // namespace

DocumentText::DocumentText(const QByteArray& raw)
    : m_encoding(TextEncoding::detect(raw.constData(), raw.size()))
{
    if (TextEncoding::isUtf16(m_encoding)) {
        m_units = TextEncoding::utf16Units(raw.constData(), raw.size(),
                                           m_encoding == TextEncoding::Encoding::Utf16Be);
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
    std::vector<Segment> out;
    readInPieces(m_bytes, m_units, m_encoding, &out, [](const std::vector<Char>&) {});
    return out;
}

void DocumentText::characters(std::vector<Char>& out) const
{
    out.clear();
    readInPieces(m_bytes, m_units, m_encoding, nullptr, [&out](const std::vector<Char>& chars) {
        out.insert(out.end(), chars.begin(), chars.end());
    });
}

std::vector<DocumentText::Char> DocumentText::characters() const
{
    std::vector<Char> out;
    characters(out);
    return out;
}

QString DocumentText::text() const
{
    QString text;
    readInPieces(m_bytes, m_units, m_encoding, nullptr, [&text](const std::vector<Char>& chars) {
        for (const Char& c : chars)
            text += QChar::fromUcs4(c.c);
    });
    return text;
}

std::u32string DocumentText::normalizedContext(const QString& context, bool caseSensitive)
{
    std::u32string out;
    bool blank = false;
    for (const uint c : context.toUcs4()) {
        if (CharacterRules::isBlank(c)) {
            blank = true;
            continue;
        }
        if (CharacterRules::isIgnorable(c))
            continue;
        if (blank && !out.empty())
            out += U' ';
        blank = false;
        out += CharacterRules::folded(c, caseSensitive);
    }
    return out;
}
