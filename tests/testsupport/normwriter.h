#pragma once

#include "norms/documentstructure.h"

#include <QList>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>

// Norms of several styles written as Word writes them and as PDF lines, with the parts a
// reader finds in them: sections, clauses, appendices, tables, figures, headings, estimate
// tables and their items, among paragraphs that only look like parts.
class NormWriter
{
public:
    enum class Style
    {
        Rules,    // a code of rules: headings h1/h2, clauses in paragraphs, Word's contents
        Standard, // a standard: every line a paragraph, contents with leaders, terms
        OldCode,  // an old code: "1. ОБЩИЕ ПОЛОЖЕНИЯ", "1.1.", numbered appendices
        Estimate, // a collection of estimate norms: technical part, tables and their items
    };
    struct Expected
    {
        DocumentPart::Kind kind;
        QString key;   // empty for a heading
        QString title; // the heading's text, for a heading
        int parent = -1;
    };
    struct Block
    {
        QString text;
        QString tag = QStringLiteral("p"); // p, h1, h2, title, toc, cell
        bool heading = false;
    };

    NormWriter(quint32 seed, Style style) : m_random(seed), m_style(style) { write(); }

    const QList<Expected>& expected() const { return m_expected; }
    const QList<Block>& blocks() const { return m_blocks; }

    // The blocks as a Word page.
    QString page() const
    {
        QString html = QStringLiteral(
            "<html><head><meta http-equiv=Content-Type content=\"text/html\">"
            "<title>Норма</title><style><!-- p.MsoNormal {margin:0} --></style></head>"
            "<body lang=RU><div class=WordSection1>\r\n");
        bool inTable = false;
        for (const Block& block : m_blocks) {
            if (block.tag == u"cell") {
                if (!inTable)
                    html += QStringLiteral("<table class=MsoTableGrid border=1><tr>");
                inTable = true;
                html += QStringLiteral("<td><p class=MsoNormal>") + escaped(block.text) +
                        QStringLiteral("</p></td>");
                continue;
            }
            if (inTable)
                html += QStringLiteral("</tr></table>\r\n");
            inTable = false;
            QString text = escaped(block.text);
            // Word breaks a paragraph's text with spans and line ends.
            const qsizetype space = text.indexOf(QLatin1Char(' '));
            if (space > 0 && m_random.bounded(2) == 0)
                text = QStringLiteral("<b><span style='font-size:12.0pt'>") + text.left(space) +
                       QStringLiteral("</span></b><span\r\nlang=RU>") + text.mid(space) +
                       QStringLiteral("</span>");
            if (block.tag == u"h1" || block.tag == u"h2")
                html += QStringLiteral("<%1>%2</%1>\r\n").arg(block.tag, text);
            else if (block.tag == u"title")
                html += QStringLiteral("<p class=MsoTitle>%1</p>\r\n").arg(text);
            else if (block.tag == u"toc")
                html +=
                    QStringLiteral("<p class=MsoToc1><a href=\"#_Toc1\">%1</a></p>\r\n").arg(text);
            else
                html += QStringLiteral("<p class=MsoNormal>%1</p>\r\n").arg(text);
        }
        if (inTable)
            html += QStringLiteral("</tr></table>");
        return html + QStringLiteral("</div></body></html>");
    }

    // The blocks as the lines of PDF pages: long paragraphs wrapped, a running head on top of
    // each page and its number at the foot.
    QList<QStringList> pdfPages() const
    {
        QList<QStringList> pages;
        QStringList page;
        const auto endPage = [&] {
            page << QString::number(pages.size() + 1);
            pages << page;
            page = QStringList{QStringLiteral("СП 99.13330.2020 Свод правил")};
        };
        page << QStringLiteral("СП 99.13330.2020 Свод правил");
        for (const Block& block : m_blocks) {
            QString line;
            for (const QString& word : block.text.split(QLatin1Char(' '))) {
                if (!line.isEmpty() && line.size() + word.size() > 80) {
                    page << line;
                    line.clear();
                    if (page.size() >= 40)
                        endPage();
                }
                line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + word;
            }
            page << line;
            if (page.size() >= 40)
                endPage();
        }
        endPage();
        return pages;
    }

private:
    static QString escaped(QString text)
    {
        return text.replace(QLatin1Char('&'), QStringLiteral("&amp;"))
            .replace(QLatin1Char('<'), QStringLiteral("&lt;"));
    }

    static QString sectionTitle(int number)
    {
        static const QStringList titles = {
            QStringLiteral("Область применения"), QStringLiteral("Нормативные ссылки"),
            QStringLiteral("Общие требования"),   QStringLiteral("Требования к материалам"),
            QStringLiteral("Производство работ"), QStringLiteral("Контроль качества"),
            QStringLiteral("Приемка работ"),      QStringLiteral("Требования безопасности")};
        return titles.at((number - 1) % titles.size());
    }

    QString pick(const QStringList& items) { return items[m_random.bounded(int(items.size()))]; }
    bool chance(int percent) { return int(m_random.bounded(100)) < percent; }

    int expect(DocumentPart::Kind kind, const QString& key, int parent, const QString& title = {})
    {
        m_expected << Expected{kind, key, title, parent};
        return int(m_expected.size() - 1);
    }
    void add(const QString& text, const QString& tag = QStringLiteral("p"))
    {
        m_blocks << Block{text, tag, tag != u"p" && tag != u"cell"};
    }

    QString sentence()
    {
        return pick(
            {QStringLiteral("Бетонную смесь следует укладывать слоями толщиной не более 0,5 м "
                            "согласно п. 5.2.3 СП 48.13330.2019."),
             QStringLiteral("Работы выполняют в соответствии с таблицей 2 и разделом 6 "
                            "настоящего свода правил."),
             QStringLiteral("Допускается применять материалы по ГОСТ 10178-85 при "
                            "температуре не ниже 5 °С."),
             QStringLiteral("Контроль качества осуществляют 2 раза в смену, результаты "
                            "заносят в журнал работ."),
             QStringLiteral("Требования пунктов 4.7 и 4.8 распространяются на все виды "
                            "конструкций, см. приложение Б.")});
    }
    // Paragraphs that begin like parts and are none.
    void nearMiss()
    {
        switch (m_random.bounded(8)) {
        case 0:
            add(QStringLiteral("1) на основании проектной документации;"));
            break;
        case 1:
            add(QStringLiteral("5.2 м — наибольшее расстояние между швами бетонирования."));
            break;
        case 2:
            add(QStringLiteral("01.02.2003 введены изменения № 1."));
            break;
        case 3:
            add(QStringLiteral("а) для конструкций из тяжелого бетона;"));
            break;
        case 4:
            add(QStringLiteral("25 МПа для бетона класса B25 при сжатии."));
            break;
        case 5:
            add(QStringLiteral("2,5 % от массы цемента."));
            break;
        case 6:
            add(QStringLiteral("77 Рабочих смен составляет продолжительность цикла."));
            break;
        default:
            add(QStringLiteral("В соответствии с п. 5.2 работы ведут захватками."));
            break;
        }
    }
    void tableWithCells(const QString& caption, int parent, const QString& key)
    {
        add(caption);
        expect(DocumentPart::Kind::Table, key, parent);
        for (const QString& cell :
             {QStringLiteral("Марка"), QStringLiteral("1 Бетон"), QStringLiteral("5"),
              QStringLiteral("5.2"), QStringLiteral("10 Раствор")})
            add(cell, QStringLiteral("cell"));
    }

    // Clauses below parent numbered prefix.N, down to depth levels.
    void clauses(const QString& prefix, int parent, int levels, bool headings)
    {
        const int count = 1 + int(m_random.bounded(4));
        int number = 0;
        for (int i = 0; i < count; ++i) {
            // A clause withdrawn leaves its number out; a term's number always follows on.
            const bool gap = chance(10);
            number += gap ? 2 : 1;
            const QString key = prefix + QString::number(number);
            const bool isHeading = headings && levels > 1;
            const QString text = isHeading ? QStringLiteral("Требования к работам %1").arg(number)
                                 : (m_style == Style::Standard && !gap && chance(20))
                                     ? QStringLiteral("термин %1: Определение понятия.").arg(number)
                                     : sentence();
            const QString dot = m_style == Style::OldCode ? QStringLiteral(".") : QString();
            add(key + dot + QLatin1Char(' ') + text,
                isHeading && m_style == Style::Rules ? QStringLiteral("h2") : QStringLiteral("p"));
            const int index = expect(DocumentPart::Kind::Clause, key, parent);
            if (chance(30))
                add(sentence());
            if (chance(15))
                nearMiss();
            if (chance(12)) {
                const QString table = key.section(QLatin1Char('.'), 0, 0) + QLatin1Char('.') +
                                      QString::number(++m_tables);
                tableWithCells(QStringLiteral("Таблица %1 — Значения коэффициентов").arg(table),
                               index, table);
            }
            if (chance(8)) {
                const QString figure = QString::number(++m_figures);
                add(QStringLiteral("Рисунок %1 — Схема расположения").arg(figure));
                expect(DocumentPart::Kind::Figure, figure, index);
            }
            if (levels > 1 && chance(60))
                clauses(key + QLatin1Char('.'), index, levels - 1, false);
        }
    }

    void contents(int sections)
    {
        add(QStringLiteral("Содержание"),
            m_style == Style::Rules ? QStringLiteral("h1") : QStringLiteral("p"));
        for (int s = 1; s <= sections; ++s) {
            const QString line = QStringLiteral("%1 %2").arg(s).arg(sectionTitle(s));
            if (m_style == Style::Rules)
                add(line + QStringLiteral(" %1").arg(s * 3), QStringLiteral("toc"));
            else if (m_style == Style::Standard)
                add(line + QStringLiteral(" ........ %1").arg(s * 3));
            else
                add(line + QStringLiteral(" %1").arg(s * 3));
        }
    }

    void write()
    {
        if (m_style == Style::Estimate) {
            writeEstimate();
            return;
        }
        const int sections = 4 + int(m_random.bounded(5));
        if (m_style != Style::OldCode) {
            add(QStringLiteral("Предисловие"), QStringLiteral("h1"));
            expect(DocumentPart::Kind::Heading, {}, -1, QStringLiteral("Предисловие"));
            add(QStringLiteral("1 ИСПОЛНИТЕЛЬ — АО «НИЦ «Строительство»"));
            add(QStringLiteral("2 ВНЕСЕН Техническим комитетом по стандартизации"));
            add(QStringLiteral("3 УТВЕРЖДЕН приказом Министерства"));
        }
        contents(sections);
        if (chance(60)) {
            add(QStringLiteral("Введение"), QStringLiteral("h1"));
            expect(DocumentPart::Kind::Heading, {}, -1, QStringLiteral("Введение"));
            add(sentence());
        }
        for (int s = 1; s <= sections; ++s) {
            const QString title = sectionTitle(s);
            const QString number =
                m_style == Style::OldCode ? QStringLiteral("%1.").arg(s) : QString::number(s);
            add(number + QLatin1Char(' ') + (m_style == Style::OldCode ? title.toUpper() : title),
                m_style == Style::Rules ? QStringLiteral("h1") : QStringLiteral("p"));
            const int index = expect(DocumentPart::Kind::Section, QString::number(s), -1);
            if (chance(30))
                add(sentence());
            clauses(QString::number(s) + QLatin1Char('.'), index, 1 + int(m_random.bounded(3)),
                    m_style == Style::Rules);
        }
        const int appendices = int(m_random.bounded(4));
        const QStringList letters =
            m_style == Style::OldCode ? QStringList{"1", "2", "3"} : QStringList{"А", "Б", "В"};
        for (int a = 0; a < appendices; ++a) {
            const QString letter = letters.at(a);
            const QString title = QStringLiteral("Методика контроля прочности %1").arg(a + 1);
            if (m_style == Style::Rules) {
                add(QStringLiteral("Приложение ") + letter, QStringLiteral("h1"));
                add(QStringLiteral("(обязательное)"), QStringLiteral("h1"));
                add(title, QStringLiteral("h1"));
            } else if (m_style == Style::Standard) {
                add(QStringLiteral("Приложение %1 (рекомендуемое) %2").arg(letter, title));
            } else {
                add(QStringLiteral("ПРИЛОЖЕНИЕ ") + letter);
                add(QStringLiteral("Обязательное"));
                add(title.toUpper());
            }
            const int index = expect(DocumentPart::Kind::Appendix, letter, -1);
            if (m_style == Style::OldCode) {
                add(sentence());
                continue;
            }
            const int clausesHere = 1 + int(m_random.bounded(3));
            for (int c = 1; c <= clausesHere; ++c) {
                const QString key = letter + QStringLiteral(".%1").arg(c);
                add(key + QLatin1Char(' ') + sentence());
                const int clause = expect(DocumentPart::Kind::Clause, key, index);
                if (chance(25))
                    tableWithCells(QStringLiteral("Таблица %1").arg(key), clause, key);
                if (chance(40)) {
                    add(key + QStringLiteral(".1 ") + sentence());
                    expect(DocumentPart::Kind::Clause, key + QStringLiteral(".1"), clause);
                }
            }
        }
        if (chance(50)) {
            add(QStringLiteral("Библиография"), QStringLiteral("h1"));
            expect(DocumentPart::Kind::Heading, {}, -1, QStringLiteral("Библиография"));
            add(QStringLiteral("[1] Федеральный закон от 30 декабря 2009 г. № 384-ФЗ"));
        }
    }

    void writeEstimate()
    {
        const int collection = 1 + int(m_random.bounded(40));
        const QString number = QStringLiteral("%1").arg(collection, 2, 10, QLatin1Char('0'));
        const QString title =
            QStringLiteral("ГЭСН 81-02-%1-2022 Сборник %2").arg(number).arg(collection);
        add(title, QStringLiteral("title"));
        expect(DocumentPart::Kind::Title, {}, -1, title);
        add(QStringLiteral("ТЕХНИЧЕСКАЯ ЧАСТЬ"), QStringLiteral("h1"));
        const int technical =
            expect(DocumentPart::Kind::Heading, {}, -1, QStringLiteral("ТЕХНИЧЕСКАЯ ЧАСТЬ"));
        const int groups = 1 + int(m_random.bounded(3));
        for (int g = 1; g <= groups; ++g) {
            const int count = 1 + int(m_random.bounded(4));
            for (int c = 1; c <= count; ++c) {
                const QString key = QStringLiteral("%1.%2").arg(g).arg(c);
                add(key + QStringLiteral(". ") + sentence());
                expect(DocumentPart::Kind::Clause, key, technical);
                if (chance(20))
                    nearMiss();
            }
        }
        const int sections = 1 + int(m_random.bounded(3));
        for (int s = 1; s <= sections; ++s) {
            add(QStringLiteral("Раздел %1. Работы по устройству конструкций").arg(s),
                QStringLiteral("h1"));
            const int section = expect(DocumentPart::Kind::Section, QString::number(s), -1);
            const int tables = 1 + int(m_random.bounded(3));
            for (int t = 1; t <= tables; ++t) {
                const QString key = QStringLiteral("%1-%2-%3")
                                        .arg(number)
                                        .arg(s, 2, 10, QLatin1Char('0'))
                                        .arg(t, 3, 10, QLatin1Char('0'));
                add(QStringLiteral("Таблица ГЭСН %1 Устройство бетонной подготовки").arg(key));
                const int table = expect(DocumentPart::Kind::Table, key, section);
                add(QStringLiteral("Состав работ:"));
                add(QStringLiteral("01. Устройство опалубки."));
                add(QStringLiteral("Шифр ресурса"), QStringLiteral("cell"));
                const int items = 1 + int(m_random.bounded(4));
                for (int i = 1; i <= items; ++i) {
                    const QString item =
                        key + QStringLiteral("-%1").arg(i, 2, 10, QLatin1Char('0'));
                    add(item, QStringLiteral("cell"));
                    expect(DocumentPart::Kind::Item, item, table);
                }
                for (const QString& cell : {QStringLiteral("1"), QStringLiteral("Затраты труда"),
                                            QStringLiteral("1.1"), QStringLiteral("12,5")})
                    add(cell, QStringLiteral("cell"));
            }
        }
    }

    mutable QRandomGenerator m_random; // also picks how a page is written
    Style m_style;
    QList<Block> m_blocks;
    QList<Expected> m_expected;
    int m_tables = 0;
    int m_figures = 0;
};
