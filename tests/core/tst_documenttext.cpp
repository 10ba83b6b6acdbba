#include "documentsearch.h"
#include "documenttext.h"
#include "highlightedcopy.h"
#include "pagewriter.h"
#include "plaintext.h"
#include "testfiles.h"
#include "textencoding.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

class TestDocumentText : public QObject
{
    Q_OBJECT

private slots:
    void textOfADocument()
    {
        const auto textOf = [](const char* raw) { return DocumentText(QByteArray(raw)).text(); };
        QCOMPARE(textOf("<p>a<span>b</span>c</p>"), QStringLiteral(" abc "));
        QCOMPARE(textOf("a<br>b<td>c</TD>d<Hr/>e"), QStringLiteral("a b c d e"));
        QCOMPARE(textOf("a<!-- x --><!-->b<!--->c<!--[if x]><p>y</p><![endif]-->d"),
                 QStringLiteral("abcd"));
        QCOMPARE(textOf("a<head><title>t</title></head>b<STYLE>p{}</style >c<script>x</scripts>"
                        "</script>d<xml>z"),
                 QStringLiteral("abcd"));
        QCOMPARE(textOf("a < b <1 <\xE1 a<>b & c &amp;lt; &#1105;&#x401;&nbsp;&laquo;&bogus; "
                        "&#0; &#xD800; &am<b>p; R&D"),
                 QStringLiteral("a < b <1 <б a<>b & c &lt; ёЁ «&bogus; \uFFFD \uFFFD & R&D"));
        QCOMPARE(textOf("a\r\n\t\f  b&nbsp; <p> c<span>\r\n</span>d"), QStringLiteral("a b c d"));
        QCOMPARE(textOf("<a href='x>y'>z</a>"), QStringLiteral("y'>z"));
        QCOMPARE(textOf("\xEF\xBB\xBF<meta charset=utf-8>\xD0\xB0\xFF\xD0<b"),
                 QStringLiteral("а\uFFFD\uFFFD")); // a tag without its ">" runs to the end
        QCOMPARE(textOf("\xC0\x98\xB9"), QStringLiteral("А\uFFFD№"));
        QCOMPARE(DocumentText(QByteArray("\xFE\xFF\0x\0&\0a\0m\0p\0;\0y", 16)).text(),
                 QStringLiteral("x&y"));
        QCOMPARE(DocumentText(QByteArray("\xFF\xFE<\0p\0>\0\x30\x04\0\xD8!\0", 13)).text(),
                 QStringLiteral(" а\uFFFD\uFFFD"));
    }

    // The text of generated pages equals the plain step-by-step text, and text mode finds
    // exactly what a plain search of that text finds, in every encoding, whole words or not.
    void textModeMatchesThePlainRule()
    {
        QTemporaryDir dir;
        PageWriter writer(20261209);
        int found = 0;
        int checks = 0;
        for (int n = 0; n < 24; ++n) {
            const int encoding = n % 4;
            // Some pages are longer than the search's reading chunk.
            const qsizetype length = n % 6 == 5 ? 3 * DocumentSearch::ChunkSize / 2 : 3000;
            const QByteArray raw = encoded(writer.page(length), encoding);
            const QString plain = PlainText::text(raw);
            const QString text = DocumentText(raw).text();
            QCOMPARE(text, plain);
            const QString path = dir.filePath(QStringLiteral("%1.htm").arg(n));
            QVERIFY(TestFiles::write(path, raw));
            for (int c = 0; c < 12; ++c) {
                // A piece of the text itself, or a phrase that may not be there.
                const qsizetype from = writer.random().bounded(int(plain.size() - 20));
                QString context = c % 3 == 0
                                      ? writer.word() + u' ' + writer.word()
                                      : plain.mid(from, 3 + writer.random().bounded(16)).trimmed();
                if (c % 4 == 1)
                    context = context.toUpper();
                if (context.isEmpty())
                    continue;
                const MatchOptions options{c % 5 == 0, c % 2 == 0, true};
                const bool expected = !PlainText::occurrences(plain, context, options.caseSensitive,
                                                              options.wholeWords)
                                           .empty();
                QCOMPARE(DocumentSearch(context, options).contains(path), expected);
                found += expected;
                ++checks;
            }
        }
        QVERIFY(found > checks / 3 && found < checks); // both outcomes are tried
    }

    // The highlighted copy never changes the text of a page: it only inserts marks, around
    // exactly the occurrences of the text (text mode) or those wholly in it (raw mode), also
    // for contexts that turn up in the markup.
    void highlightedCopyKeepsTheText()
    {
        PageWriter writer(4242);
        static const QRegularExpression marks(
            QStringLiteral("<ins( data-occurrence='\\d+')?>|</ins>"));
        int inMarkup = 0;
        int marked = 0;
        for (int n = 0; n < 16; ++n) {
            const QByteArray raw = encoded(writer.page(2500), n % 4);
            const QByteArray joined = n % 4 >= 2 ? raw : TextEncoding::joinLines(raw);
            const QString plain = PlainText::text(raw);
            for (const QString& context :
                 {QStringLiteral("12"), QStringLiteral("MsoNormal"), QStringLiteral("font"),
                  QStringLiteral("12.0pt"), QStringLiteral("span"),
                  QStringLiteral("сметная стоимость"), writer.word(),
                  plain.mid(40 + n * 7, 9).trimmed()}) {
                for (const bool textMode : {false, true}) {
                    const MatchOptions options{n % 3 == 0, n % 5 == 0, textMode};
                    const auto copy =
                        HighlightedCopy::highlight(raw, context, options, "<ins>", "</ins>");
                    const QByteArray what = context.toUtf8() + (textMode ? " text" : " raw");
                    QVERIFY2(DocumentText(copy.copy).text() == plain, what.constData());
                    QString unmarked = PlainText::decoded(copy.copy);
                    unmarked.remove(marks);
                    // The raw mode's copy has its lines joined with CR LF.
                    QString original = PlainText::decoded(textMode ? raw : joined);
                    if (!textMode && n % 4 >= 2)
                        original =
                            original.replace(QRegularExpression(QStringLiteral("\r\n|\r|\n")),
                                             QStringLiteral("\r\n")) +
                            QStringLiteral("\r\n");
                    QVERIFY2(unmarked == original, what.constData());
                    if (textMode) {
                        QCOMPARE(copy.marked,
                                 int(PlainText::occurrences(plain, context, options.caseSensitive,
                                                            options.wholeWords)
                                         .size()));
                    }
                    // The snippet shows the first marked occurrence.
                    if (copy.marked > 0 && !context.contains(u' ') && !context.contains(u'&'))
                        QVERIFY2(copy.snippetMatch.compare(context, Qt::CaseInsensitive) == 0,
                                 what.constData());
                    inMarkup += copy.inMarkup;
                    marked += copy.marked;
                }
            }
        }
        QVERIFY(inMarkup > 0 && marked > 0);
    }

    // Whole words and UTF-16 pages in the raw search.
    void rawSearchWholeWordsAndUtf16()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("doc.htm"));
        const auto contains = [&path](const char* context, bool wholeWords) {
            return DocumentSearch(QString::fromUtf8(context),
                                  MatchOptions{false, wholeWords, false, false})
                .contains(path);
        };
        QVERIFY(TestFiles::write(path, TestFiles::cp1251(QStringLiteral("<b>МРОТы</b> МРОТ_1 x"))));
        QVERIFY(contains("мрот", false));
        QVERIFY(contains("мрот", true)); // "_" is no letter
        QVERIFY(!contains("мрот_", true));
        QVERIFY(contains("b", true) && !contains("МРОТы x", true));
        for (const int encoding : {2, 3}) {
            QVERIFY(TestFiles::write(
                path, encoded(QStringLiteral("<p>Сметная\nстоимость</p>"), encoding)));
            QVERIFY(contains("сметная\r\nСТОИМОСТЬ", false));
            QVERIFY(contains("p>сметная", true) && !contains("сметна", true));
            QVERIFY(!contains("\x04", false)); // never half a unit
        }
    }
};

QTEST_GUILESS_MAIN(TestDocumentText)
#include "tst_documenttext.moc"
