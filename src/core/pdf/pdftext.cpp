#include "pdf/pdftext.h"

#include <QString>

namespace {

const QByteArray pageMark = QByteArrayLiteral("<div data-page=\"");

// The last character of a line, or 0; sets begin to where it begins.
char32_t lastCharacter(const QByteArray& line, qsizetype* begin)
{
    qsizetype at = line.size() - 1;
    while (at > 0 && (uchar(line.at(at)) & 0xC0) == 0x80)
        --at;
    *begin = std::max<qsizetype>(at, 0);
    if (at < 0)
        return 0;
    const QString decoded = QString::fromUtf8(line.mid(at));
    return decoded.isEmpty() ? 0 : decoded.toUcs4().value(0);
}

char32_t firstCharacter(const QByteArray& line)
{
    const QString decoded = QString::fromUtf8(line.left(4));
    return decoded.isEmpty() ? 0 : decoded.toUcs4().value(0);
}

bool isHyphen(char32_t c)
{
    return c == U'-' || c == U'\u00AD' || c == U'\u2010';
}

QByteArray escaped(const QByteArray& text)
{
    QByteArray out;
    out.reserve(text.size() + text.size() / 64);
    for (const char c : text) {
        if (c == '&')
            out += "&amp;";
        else if (c == '<')
            out += "&lt;";
        else if (c == '\0')
            out += ' ';
        else
            out += c;
    }
    return out;
}

} // namespace

QByteArray PdfText::joinedPage(const QByteArray& page)
{
    const QByteArrayList lines = page.split('\n');
    QByteArray out;
    out.reserve(page.size());
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QByteArray line = lines.at(i);
        if (line.endsWith('\r'))
            line.chop(1);
        out += line;
        if (i + 1 == lines.size())
            break;
        // A hyphen at the line's end, after a letter or a digit, with more text on the next.
        qsizetype hyphenAt = 0;
        const char32_t hyphen = lastCharacter(line, &hyphenAt);
        qsizetype beforeAt = 0;
        const char32_t before =
            isHyphen(hyphen) ? lastCharacter(line.left(hyphenAt), &beforeAt) : 0;
        const char32_t next = firstCharacter(lines.at(i + 1));
        const QChar beforeChar = before <= 0xFFFF ? QChar(char16_t(before)) : QChar();
        const QChar nextChar = next <= 0xFFFF ? QChar(char16_t(next)) : QChar();
        if (beforeChar.isLetter() && nextChar.isLower()) {
            out.chop(line.size() - hyphenAt); // the word goes on: its hyphen only broke the line
            continue;
        }
        if ((beforeChar.isLetterOrNumber() && nextChar.isLetterOrNumber()) && hyphen != U'\u00AD')
            continue; // a compound or a designation keeps its hyphen
        out += '\n';
    }
    return out;
}

QByteArray PdfText::document() const
{
    QByteArray out =
        QByteArrayLiteral("\xEF\xBB\xBF<html><head><meta charset=\"utf-8\"></head><body>\n");
    for (qsizetype i = 0; i < m_pages.size(); ++i) {
        out += pageMark + QByteArray::number(i + 1) + "\">";
        out += escaped(joinedPage(m_pages.at(i)));
        out += "</div>\n";
    }
    out += "</body></html>\n";
    return out;
}

int PdfText::pageAt(const QByteArray& document, qsizetype position)
{
    const qsizetype mark = document.lastIndexOf(pageMark, std::min(position, document.size()));
    if (mark < 0)
        return 0;
    return document.mid(mark + pageMark.size(), 12).split('"').value(0).toInt();
}
