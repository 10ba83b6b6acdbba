#include "text/textencoding.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <array>

#include <cstring>

std::optional<QByteArray> TextEncoding::toWindows1251(const QString& text)
{
    QStringEncoder encoder("windows-1251", QStringEncoder::Flag::Stateless);
    const QByteArray bytes = encoder.encode(text);
    if (encoder.hasError() || !encoder.isValid())
        return std::nullopt;
    // The encoder may stand in "?" for a character it cannot write.
    if (bytes.count('?') != text.count(u'?'))
        return std::nullopt;
    return bytes;
}

const char16_t* TextEncoding::windows1251Upper()
{
    static const std::array<char16_t, 128> upper = [] {
        std::array<char16_t, 128> table{};
        QStringDecoder decoder("windows-1251", QStringDecoder::Flag::Stateless);
        for (int b = 0x80; b < 0x100; ++b) {
            const char c = char(b);
            const QString decoded = decoder.decode(QByteArrayView(&c, 1));
            table[size_t(b - 0x80)] = decoded.size() == 1 ? decoded[0].unicode() : u'\uFFFD';
        }
        table[0x98 - 0x80] = u'\uFFFD'; // the one byte windows-1251 leaves undefined
        return table;
    }();
    return upper.data();
}

char16_t TextEncoding::fromWindows1251(unsigned char byte)
{
    static const char16_t* const upper = windows1251Upper();
    return byte < 0x80 ? char16_t(byte) : upper[byte - 0x80];
}

std::u16string TextEncoding::utf16Units(const char* data, qsizetype size, bool bigEndian)
{
    std::u16string units(size_t(size / 2), u'\0');
    for (size_t i = 0; i < units.size(); ++i) {
        const auto a = uchar(data[2 * i]);
        const auto b = uchar(data[2 * i + 1]);
        units[i] = bigEndian ? char16_t(a << 8 | b) : char16_t(b << 8 | a);
    }
    return units;
}

QByteArray TextEncoding::utf16Bytes(const char16_t* units, qsizetype count, bool bigEndian)
{
    QByteArray bytes(count * 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < count; ++i) {
        const char high = char(units[i] >> 8);
        const char low = char(units[i] & 0xFF);
        bytes[2 * i] = bigEndian ? high : low;
        bytes[2 * i + 1] = bigEndian ? low : high;
    }
    return bytes;
}

std::u16string TextEncoding::joinLines(const std::u16string& units)
{
    std::u16string text;
    text.reserve(units.size() + 2);
    bool lineOpen = false;
    for (size_t i = 0; i < units.size(); ++i) {
        const char16_t unit = units[i];
        if (unit != u'\r' && unit != u'\n') {
            text += unit;
            lineOpen = true;
            continue;
        }
        text += u"\r\n";
        lineOpen = false;
        if (unit == u'\r' && i + 1 < units.size() && units[i + 1] == u'\n')
            ++i;
    }
    if (lineOpen)
        text += u"\r\n";
    return text;
}

QByteArray TextEncoding::joinLines(const QByteArray& raw)
{
    QByteArray text;
    text.reserve(raw.size() + 2);
    LineJoiner joiner;
    joiner.feed(raw.constData(), raw.size(), text);
    joiner.finish(text);
    return text;
}

void TextEncoding::LineJoiner::feed(const char* data, qsizetype size, QByteArray& out)
{
    qsizetype i = 0;
    if (m_afterCr && size > 0 && data[0] == '\n')
        i = 1; // the LF of a CR LF split between two pieces
    m_afterCr = false;
    while (i < size) {
        // Copy up to the next line break in one piece.
        qsizetype end = i;
        while (end < size && data[end] != '\r' && data[end] != '\n')
            ++end;
        if (end > i) {
            out.append(data + i, end - i);
            m_lineOpen = true;
        }
        if (end == size)
            return;
        out.append("\r\n", 2);
        m_lineOpen = false;
        if (data[end] == '\r') {
            if (end + 1 == size) {
                m_afterCr = true;
                return;
            }
            i = end + (data[end + 1] == '\n' ? 2 : 1);
        } else {
            i = end + 1;
        }
    }
}

void TextEncoding::LineJoiner::finish(QByteArray& out)
{
    if (m_lineOpen)
        out.append("\r\n", 2);
    m_lineOpen = false;
    m_afterCr = false;
}

TextEncoding::Encoding TextEncoding::detect(const char* head, qsizetype size)
{
    if (size >= 2 && uchar(head[0]) == 0xFF && uchar(head[1]) == 0xFE)
        return Encoding::Utf16Le;
    if (size >= 2 && uchar(head[0]) == 0xFE && uchar(head[1]) == 0xFF)
        return Encoding::Utf16Be;
    if (size >= 3 && std::memcmp(head, "\xEF\xBB\xBF", 3) == 0)
        return Encoding::Utf8;
    const qsizetype window = qMin(size, DeclarationWindow);
    const auto lowerAscii = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; };
    const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    const auto startsWith = [&](qsizetype at, const char* word) {
        const qsizetype n = qsizetype(std::strlen(word));
        if (at < 0 || at + n > window)
            return false;
        for (qsizetype j = 0; j < n; ++j) {
            if (lowerAscii(head[at + j]) != word[j])
                return false;
        }
        return true;
    };
    // Every "=" of the head (few) is looked at: "charset" [blanks] before it, [blanks]
    // [a quote] "utf-8" or "utf8" after it.
    const char* at = head;
    const char* const end = head + window;
    while ((at = static_cast<const char*>(std::memchr(at, '=', size_t(end - at))))) {
        const qsizetype equals = at - head;
        ++at;
        qsizetype before = equals;
        while (before > 0 && isBlank(head[before - 1]))
            --before;
        if (!startsWith(before - 7, "charset"))
            continue;
        qsizetype after = equals + 1;
        while (after < window && isBlank(head[after]))
            ++after;
        if (after < window && (head[after] == '"' || head[after] == '\''))
            ++after;
        if (startsWith(after, "utf-8") || startsWith(after, "utf8"))
            return Encoding::Utf8;
    }
    return Encoding::Windows1251;
}
