#include "matching/matchingrule.h"
#include "testsupport/testfiles.h"
#include "text/textencoding.h"

#include <QTemporaryDir>
#include <QTest>

class TestMatchingRule : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void joinLines()
    {
        QCOMPARE(TextEncoding::joinLines("a\nb\rc\r\nd"), QByteArray("a\r\nb\r\nc\r\nd\r\n"));
        QCOMPARE(TextEncoding::joinLines("a\r\n"), QByteArray("a\r\n"));
        QCOMPARE(TextEncoding::joinLines("\n\n"), QByteArray("\r\n\r\n"));
        QCOMPARE(TextEncoding::joinLines(""), QByteArray());
    }

    void contextEncoding()
    {
        QCOMPARE(*TextEncoding::toWindows1251(QStringLiteral("Ёж №5")), QByteArray("\xa8\xe6 \xb9"
                                                                                   "5"));
        QVERIFY(!TextEncoding::toWindows1251(QStringLiteral("zażółć")));
        QVERIFY(!TextEncoding::toWindows1251(QStringLiteral("中")));
        QCOMPARE(*TextEncoding::toWindows1251(QStringLiteral("a?b")), QByteArray("a?b"));
    }

    void fileContainsContext()
    {
        const QString doc = m_dir.filePath(QStringLiteral("doc.htm"));
        QVERIFY(TestFiles::write(
            doc, TestFiles::cp1251(
                     QStringLiteral("<p>Сметная\rстоимость</p>\n<b>СНиП</b> &laquo;Ёлка&raquo;"))));
        const auto contains = [&](const QString& context, bool matchCase) {
            return MatchingRule::SearchDocument(doc, context, matchCase);
        };
        QVERIFY(contains(QStringLiteral("сметная"), false));
        QVERIFY(!contains(QStringLiteral("сметная"), true));
        QVERIFY(contains(QStringLiteral("Сметная\r\nстоимость"), true)); // lines joined by CR LF
        QVERIFY(!contains(QStringLiteral("Сметная стоимость"), false));
        QVERIFY(contains(QStringLiteral("<b>снип</b>"), false)); // markup as written
        QVERIFY(contains(QStringLiteral("&laquo;ёлка"), false));
        QVERIFY(!contains(QStringLiteral("«Ёлка"), false)); // references are not decoded
        QVERIFY(!contains(QStringLiteral("Ёлка ą"), false));
        QVERIFY(!MatchingRule::SearchDocument(m_dir.filePath(QStringLiteral("none.htm")),
                                              QStringLiteral("a"), false));
        QVERIFY(!MatchingRule::SearchDocument(m_dir.path(), QStringLiteral("a"), false));
    }
};

QTEST_GUILESS_MAIN(TestMatchingRule)
#include "tst_matchingrule.moc"
