#include "matchingrule.h"

#include "documentsearch.h"

#include <QFile>
#include <QFileInfo>
#include <QStringEncoder>

#include <array>

namespace {

constexpr std::array<unsigned char, 256> makeLowerTable()
{
    std::array<unsigned char, 256> table{};
    for (int i = 0; i < 256; ++i)
        table[i] = static_cast<unsigned char>(i);
    for (int c = 'A'; c <= 'Z'; ++c)
        table[c] = static_cast<unsigned char>(c + 32);
    for (int c = 0xC0; c <= 0xDF; ++c) // А-Я
        table[c] = static_cast<unsigned char>(c + 32);
    table[0xA8] = 0xB8; // Ё
    return table;
}

constexpr std::array<unsigned char, 256> lowerTable = makeLowerTable();

} // namespace

std::optional<QByteArray> MatchingRule::toWindows1251(const QString& text)
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

unsigned char MatchingRule::lower1251(unsigned char byte)
{
    return lowerTable[byte];
}

QByteArray MatchingRule::joinLines(const QByteArray& raw)
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

bool MatchingRule::FileContainsContext(const QString& path, const QString& context, bool matchCase)
{
    return DocumentSearch(context, matchCase).contains(path);
}

bool MatchingRule::SearchDocument(const QString& path, const QString& context, bool matchCase)
{
    if (!QFileInfo(path).isFile())
        return false;
    return FileContainsContext(path, context, matchCase);
}
