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
    const char* data = raw.constData();
    const qsizetype n = raw.size();
    qsizetype i = 0;
    while (i < n) {
        // Copy up to the next line break in one piece.
        qsizetype end = i;
        while (end < n && data[end] != '\r' && data[end] != '\n')
            ++end;
        text.append(data + i, end - i);
        if (end == n)
            break;
        text.append("\r\n", 2);
        i = end + ((data[end] == '\r' && end + 1 < n && data[end + 1] == '\n') ? 2 : 1);
    }
    if (n > 0 && data[n - 1] != '\n' && data[n - 1] != '\r')
        text.append("\r\n", 2);
    return text;
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
