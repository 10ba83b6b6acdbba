#include "search/resultexport.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

// The found documents taken away: a CSV table read back field by field as a spreadsheet
// reads it, JSON parsed, the report's rows and facts, the clipboard's text.
class TestResultExport : public QObject
{
    Q_OBJECT

    static QList<ResultExport::Row> rows()
    {
        ResultExport::Row first;
        first.caption = QStringLiteral("Своды правил->СП 48.13330.2019 Организация строительства");
        first.path = QStringLiteral("/lib/Своды правил/СП 48.13330.2019.htm");
        first.designation = ResultExport::designationOf(first.caption);
        first.occurrences = 3;
        first.snippet = QStringLiteral("…смесь; \"М200\" и\tраствор…");
        ResultExport::Row second;
        second.caption = QStringLiteral("Общие положения");
        second.path = QStringLiteral("/lib/Общие положения.pdf");
        second.occurrences = 1;
        second.page = 4;
        second.snippet = QStringLiteral("строка\nдругая");
        return {first, second};
    }

    // A CSV reader: fields split at ";" outside quotes, "" inside quotes one quote.
    static QList<QStringList> readCsv(const QString& text)
    {
        QList<QStringList> table{{}};
        QString field;
        bool quoted = false;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text[i];
            if (quoted) {
                if (c == u'"' && i + 1 < text.size() && text[i + 1] == u'"') {
                    field += u'"';
                    ++i;
                } else if (c == u'"') {
                    quoted = false;
                } else {
                    field += c;
                }
            } else if (c == u'"') {
                quoted = true;
            } else if (c == u';') {
                table.last() << field;
                field.clear();
            } else if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
                table.last() << field;
                field.clear();
                table.append(QStringList());
                ++i;
            } else {
                field += c;
            }
        }
        if (table.last().isEmpty())
            table.removeLast();
        return table;
    }

private slots:
    void captionsSplit()
    {
        QCOMPARE(ResultExport::folderOf(QStringLiteral("А->Б->В")), QStringLiteral("А->Б"));
        QCOMPARE(ResultExport::folderOf(QStringLiteral("В")), QString());
        QCOMPARE(ResultExport::designationOf(QStringLiteral("Своды->СП 48.13330.2019 Орг")),
                 QStringLiteral("СП 48.13330.2019"));
        QCOMPARE(ResultExport::designationOf(QStringLiteral("ГОСТ->Общие положения")), QString());
    }

    void csvReadsBack()
    {
        const QByteArray bytes = ResultExport::csv(rows());
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
        const QList<QStringList> table = readCsv(QString::fromUtf8(bytes.mid(3)));
        QCOMPARE(table.size(), 3);
        QCOMPARE(table[0].size(), 7);
        QCOMPARE(table[0][0], QStringLiteral("Документ"));
        QCOMPARE(table[1],
                 (QStringList{QStringLiteral("СП 48.13330.2019 Организация строительства"),
                              QStringLiteral("СП 48.13330.2019"), QStringLiteral("Своды правил"),
                              QStringLiteral("/lib/Своды правил/СП 48.13330.2019.htm"),
                              QStringLiteral("3"), QString(),
                              QStringLiteral("…смесь; \"М200\" и\tраствор…")}));
        QCOMPARE(table[2][6], QStringLiteral("с. 4: строка\nдругая"));
    }

    void jsonAnObjectPerDocument()
    {
        const QList<QByteArray> lines = ResultExport::json(rows()).trimmed().split('\n');
        QCOMPARE(lines.size(), 2);
        QJsonParseError error;
        const QJsonObject first = QJsonDocument::fromJson(lines[0], &error).object();
        QCOMPARE(error.error, QJsonParseError::NoError);
        QCOMPARE(first.value(QStringLiteral("designation")).toString(),
                 QStringLiteral("СП 48.13330.2019"));
        QCOMPARE(first.value(QStringLiteral("occurrences")).toInt(), 3);
        QVERIFY(!first.contains(QStringLiteral("relevance")));
        const QJsonObject second = QJsonDocument::fromJson(lines[1]).object();
        QCOMPARE(second.value(QStringLiteral("page")).toInt(), 4);
        QCOMPARE(second.value(QStringLiteral("folder")).toString(), QString());
    }

    void reportAndClipboard()
    {
        ResultExport::Search search;
        search.query = QStringLiteral("бетон <М200> & смесь");
        search.reading = QStringLiteral("«бетон <М200>» И «смесь»");
        search.mode = QStringLiteral("в тексте документов");
        search.scope = QStringLiteral("во всей коллекции");
        search.freshness = QStringLiteral("по индексу, проверено 312 документов");
        search.when = QDateTime(QDate(2026, 12, 11), QTime(9, 5));
        const QString page = QString::fromUtf8(ResultExport::html(search, rows()));
        QVERIFY(page.contains(QStringLiteral("бетон &lt;М200&gt; &amp; смесь")));
        QVERIFY(page.contains(QStringLiteral("11.12.2026 09:05")));
        QVERIFY(page.contains(QStringLiteral("по индексу, проверено 312 документов")));
        QCOMPARE(page.count(QStringLiteral("<tr><td>")), 2);
        QVERIFY(page.contains(QStringLiteral("&quot;М200&quot;")));
        const QStringList lines = ResultExport::tabSeparated(rows()).split(u'\n');
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[0].split(u'\t').size(), 5);
        QCOMPARE(lines[1].split(u'\t').last(), QStringLiteral("с. 4: строка другая"));
    }
};

QTEST_GUILESS_MAIN(TestResultExport)
#include "tst_resultexport.moc"
