#pragma once

#include "testsupport/testfiles.h"
#include "text/textencoding.h"

#include <QRandomGenerator>
#include <QString>
#include <QStringList>

#include <string>

// A Word-style page with phrases broken by tags, references and wrapped lines.
class PageWriter
{
public:
    explicit PageWriter(quint32 seed) : m_random(seed) {}

    QString page(qsizetype length)
    {
        QString html = pick({QStringLiteral("<html>\r\n<head>\r\n<meta http-equiv=Content-Type "
                                            "content=\"text/html\">\r\n<title>Сметная "
                                            "стоимость</title>\r\n<style>\r\n<!-- p.MsoNormal "
                                            "{font-size:12.0pt} -->\r\n</style>\r\n</head>\r\n"
                                            "<body lang=RU>\r\n"),
                             QStringLiteral("<HTML><HEAD><TITLE>x</TITLE></HEAD><BODY>"),
                             QStringLiteral("<!--[if gte mso 9]><xml> <o:p>сметная стоимость</o:p> "
                                            "</xml><![endif]-->")});
        while (html.size() < length)
            html += paragraph();
        return html + QStringLiteral("</body></html>");
    }

    QString pick(const QStringList& items) { return items[m_random.bounded(int(items.size()))]; }

    QString word()
    {
        return pick({QStringLiteral("сметная"), QStringLiteral("стоимость"), QStringLiteral("СНиП"),
                     QStringLiteral("Ёлка"), QStringLiteral("елка"), QStringLiteral("12,5"),
                     QStringLiteral("Portland"), QStringLiteral("коэффициент"),
                     QStringLiteral("R&D"), QStringLiteral("a<b"), QStringLiteral("МРОТ"),
                     QStringLiteral("МРОТы"), QStringLiteral("№"), QStringLiteral("x&amp;y")});
    }

    // A word as a page may write it: split by a tag, a letter as a reference, and so on.
    QString written(const QString& word)
    {
        switch (m_random.bounded(10)) {
        case 0:
            return QStringLiteral("<span class=SpellE>") + word + QStringLiteral("</span>");
        case 1:
            return word.left(2) + QStringLiteral("<b>") + word.mid(2) + QStringLiteral("</b>");
        case 2:
            return word.left(1) + QStringLiteral("<!-- c -->") + word.mid(1);
        case 3:
            return word.size() > 1 && word[1].unicode() > 127
                       ? word.left(1) + QStringLiteral("&#%1;").arg(word[1].unicode()) + word.mid(2)
                       : word;
        case 4:
            return word.left(3) + QStringLiteral("<o:p></o:p>") + word.mid(3);
        default:
            return word;
        }
    }

    QString gap()
    {
        return pick({QStringLiteral(" "), QStringLiteral(" "), QStringLiteral("\r\n"),
                     QStringLiteral("&nbsp;"), QStringLiteral("</span> <span lang=EN-US>"),
                     QStringLiteral("<br>"), QStringLiteral("</td><td>"), QStringLiteral("\t "),
                     QStringLiteral("<![if !supportEmptyParas]> <![endif]>"),
                     QStringLiteral(" &laquo;"), QStringLiteral("-")});
    }

    QString paragraph()
    {
        QString p = QStringLiteral("<p class=MsoNormal style='font-size:12.0pt'>");
        const int words = 3 + int(m_random.bounded(12));
        for (int i = 0; i < words; ++i)
            p += written(word()) + gap();
        if (m_random.bounded(8) == 0)
            p += QStringLiteral("<script>var a = '<p>сметная стоимость</p>';</script>");
        return p + QStringLiteral("</p>\r\n");
    }

    QRandomGenerator& random() { return m_random; }

private:
    QRandomGenerator m_random;
};

// The page in an encoding: 0 windows-1251, 1 UTF-8 (declared), 2 UTF-16 LE, 3 UTF-16 BE.
inline QByteArray encoded(const QString& page, int encoding)
{
    switch (encoding) {
    case 0:
        return TestFiles::cp1251(page);
    case 1:
        return QByteArray("<meta charset=utf-8>") + page.toUtf8();
    default: {
        const bool bigEndian = encoding == 3;
        const std::u16string units(reinterpret_cast<const char16_t*>(page.utf16()),
                                   size_t(page.size()));
        return QByteArray(bigEndian ? "\xFE\xFF" : "\xFF\xFE") +
               TextEncoding::utf16Bytes(units.data(), qsizetype(units.size()), bigEndian);
    }
    }
}
