#include "textencoding.h"

#include <QStringEncoder>

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
