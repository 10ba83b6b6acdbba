#include "matching/documentsearch.h"
#include "matching/highlightedcopy.h"
#include "matching/textsearch.h"
#include "testsupport/pagewriter.h"
#include "testsupport/plaintext.h"
#include "testsupport/testfiles.h"
#include "text/documenttext.h"
#include "text/textencoding.h"

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
                 QStringLiteral("a < b <1 <б a<>b & c &lt; ёЁ «&bogus; \uFFFD \uFFFD &amp; R&D"));
        QCOMPARE(textOf("a\r\n\t\f  b&nbsp; <p> c<span>\r\n</span>d"), QStringLiteral("a b c d"));
        QCOMPARE(textOf("<a href='x>y'>z</a>"), QStringLiteral("z"));
        QCOMPARE(textOf("\xEF\xBB\xBF<meta charset=utf-8>\xD0\xB0\xFF\xD0<b"),
                 QStringLiteral("а\uFFFD\uFFFD")); // a tag without its ">" runs to the end
        QCOMPARE(textOf("\xC0\x98\xB9"), QStringLiteral("А\uFFFD№"));
        QCOMPARE(DocumentText(QByteArray("\xFE\xFF\0x\0&\0a\0m\0p\0;\0y", 16)).text(),
                 QStringLiteral("x&y"));
        QCOMPARE(DocumentText(QByteArray("\xFF\xFE<\0p\0>\0\x30\x04\0\xD8!\0", 13)).text(),
                 QStringLiteral(" а\uFFFD\uFFFD"));
    }

    // Where a browser shows a page's text differently from a plain reading, the browser holds.
    void textAsTheBrowserShowsIt()
    {
        const auto textOf = [](const char* raw) { return DocumentText(QByteArray(raw)).text(); };
        // Numbers 128-159 are windows-1252's characters; 0, surrogates and too large are U+FFFD.
        QCOMPARE(textOf("&#150;&#x85;&#147;&#129;|&#0;&#xDFFF;&#x110000;&#99999999999999;"),
                 QStringLiteral("–…“\u0081|\uFFFD\uFFFD\uFFFD\uFFFD"));
        // A number needs no semicolon; of names, only the old ones do without it.
        QCOMPARE(textOf("&#1105x &#x401 &copy2026 &laquo&raquo &notit; &ampx; &hellip &hellip; "
                        "&bogus &#x; &#65ab"),
                 QStringLiteral("ёx Ё ©2026 «» ¬it; &x; &hellip … &bogus &#x; Aab"));
        // A reference cut by a tag stays as written.
        QCOMPARE(textOf("R&am<i>p;D &#10<b>89;"), QStringLiteral("R&amp;D \n89;").simplified());
        // A tag ends at the first ">" outside a quoted value.
        QCOMPARE(textOf("<a title=\"x>y\">a</a><a t='x>y' b=c>b<a b = \"x>y\">c<a \"x>y\">d"),
                 QStringLiteral("abcy\">d"));
        QCOMPARE(textOf("<p class=x>y>z<a title=\"never closed>w"), QStringLiteral(" y>z"));
        // Comments end at "-->" or "--!>".
        QCOMPARE(textOf("a<!-- x --!>b<!-- -- >c-->d<!--->e<!---->f<!-- x --!-->g"),
                 QStringLiteral("abdefg"));
        // Other markup: "</>" is nothing, "</ x>" and "<?x?>" end at ">", "</" at the end is text.
        QCOMPARE(textOf("a</>b</ x>c<?xml x?>d<!DOCTYPE html>e</"), QStringLiteral("abcde</"));
        // A head left open ends at the body or at the first block tag other than title.
        QCOMPARE(textOf("<head><title>t</title>x<p>y"), QStringLiteral(" y"));
        QCOMPARE(textOf("<html><head><meta a=b><style>p{}</style>z<body>w"), QStringLiteral("w"));
        QCOMPARE(textOf("<head><!-- </head> --><script>'</head>'</script>h</head>b"),
                 QStringLiteral("b"));
        QCOMPARE(textOf("<head>a<head>b</head>c"), QStringLiteral("c"));
        // Raw elements end only at their own end tag, followed by a blank, "/" or ">".
        QCOMPARE(textOf("<script>a</scripts>b</script x='>'>c<style>d</style"),
                 QStringLiteral("c"));
    }

    // The look around candidates answers as the whole reading does, in every encoding, on
    // pages made of the pieces that make it unsure: markup and references beside letters.
    void quickLookAgreesWithWholeReading()
    {
        static const QStringList pieces = {
            QStringLiteral("r"),
            QStringLiteral("R"),
            QStringLiteral("&"),
            QStringLiteral("d"),
            QStringLiteral("D"),
            QStringLiteral("s"),
            QStringLiteral("<b>"),
            QStringLiteral("</span>"),
            QStringLiteral("<p>"),
            QStringLiteral(" "),
            QStringLiteral("&amp;"),
            QStringLiteral("&am"),
            QStringLiteral("p;"),
            QStringLiteral(";"),
            QStringLiteral("&#114;"),
            QStringLiteral("&#x44"),
            QStringLiteral("<!-- c -->"),
            QStringLiteral("&nbsp;"),
            QStringLiteral("&nbsp"),
            QStringLiteral("<a t='>'>"),
            QStringLiteral("1"),
            QStringLiteral("ё"),
            QStringLiteral("Ё"),
            QStringLiteral("&#1025;"),
            QStringLiteral("\r\n"),
            QStringLiteral("<br>"),
            QStringLiteral("&#150;"),
            QStringLiteral("–"),
            QStringLiteral("<script>r&d</script>"),
            QStringLiteral("л"),
            QStringLiteral("а"),
            QStringLiteral("&lcy;"),
            QStringLiteral("&Lcy;"),
            QStringLiteral("&lt;"),
            QStringLiteral("\u00AD"), // a soft hyphen, left out of the text
        };
        static const QStringList contexts = {
            QStringLiteral("r&d"), QStringLiteral("r&ds"), QStringLiteral("rd"),
            QStringLiteral("d s"), QStringLiteral("ёр"),   QStringLiteral("amp"),
            QStringLiteral("r"),   QStringLiteral("&d"),   QStringLiteral("d–ё"),
            QStringLiteral("1 r"), QStringLiteral("лар"),  QStringLiteral("ла"),
        };
        QRandomGenerator random(8);
        int found = 0;
        int checks = 0;
        for (int n = 0; n < 1500; ++n) {
            const QString context = contexts[random.bounded(int(contexts.size()))];
            QString page;
            const int length = 2 + random.bounded(24);
            const int contextAt = random.bounded(2) == 0 ? random.bounded(length) : -1;
            for (int i = 0; i < length; ++i) {
                page += pieces[random.bounded(int(pieces.size()))];
                if (i != contextAt)
                    continue;
                // The context itself, as a page may write it.
                for (const QChar c : context) {
                    if (random.bounded(4) == 0)
                        page += pieces[random.bounded(int(pieces.size()))];
                    const bool asReference = random.bounded(2) == 0;
                    page += c == u'&' && asReference   ? QStringLiteral("&amp;")
                            : c == u'л' && asReference ? QStringLiteral("&lcy;")
                                                       : QString(c);
                }
            }
            const QByteArray raw = encoded(page, n % 4);
            const QString plain = PlainText::text(raw);
            const MatchOptions options{random.bounded(3) == 0, random.bounded(2) == 0, true};
            const bool expected =
                !PlainText::occurrences(plain, context, options.caseSensitive, options.wholeWords)
                     .empty();
            const TextSearch search(context, options);
            const QByteArray what = raw.toHex() + ' ' + context.toUtf8() +
                                    (options.wholeWords ? " whole" : "") +
                                    (options.caseSensitive ? " case" : "");
            QVERIFY2(search.contains(raw.constData(), raw.size()) == expected, what.constData());
            // Read in pieces of any size, from the start.
            TextSearch::Reading reading(search, TextEncoding::detect(raw.constData(), raw.size()));
            bool streamed = false;
            for (qsizetype at = 0; at < raw.size() && !streamed;) {
                const qsizetype piece = std::min<qsizetype>(1 + random.bounded(7), raw.size() - at);
                streamed = reading.read(raw.constData() + at, piece);
                at += piece;
            }
            streamed = streamed || reading.finish();
            QVERIFY2(streamed == expected, what.constData());
            found += expected;
            ++checks;
            // Moved to any place of the blocks a page is looked through in at once.
            const QString padded =
                QString(random.bounded(140), u' ') + page + QString(random.bounded(140), u'x');
            const QByteArray paddedRaw = encoded(padded, n % 4);
            const bool paddedExpected =
                !PlainText::occurrences(PlainText::text(paddedRaw), context, options.caseSensitive,
                                        options.wholeWords)
                     .empty();
            QVERIFY2(search.contains(paddedRaw.constData(), paddedRaw.size()) == paddedExpected,
                     (paddedRaw.toHex() + ' ' + what).constData());
        }
        QVERIFY(found > checks / 5 && found < checks);
    }

    // What may stand between two characters of a context without being one (markup, a
    // reference, a soft hyphen, a stress accent) is let by wherever the occurrence lies in the
    // blocks the bytes are looked through in, in each encoding, in either case.
    void breaksInsideAContextAnywhereInABlock()
    {
        static const QStringList breaks = {
            QStringLiteral("<b>"),     QStringLiteral("</span>"),
            QStringLiteral("&amp;"),   QStringLiteral("\u00AD"),
            QStringLiteral("&shy;"),   QStringLiteral("&#769;"),
            QStringLiteral("<!---->"), QString(),
        };
        // The context written with each of breaks after its first character (and a stress
        // accent where the encoding has it), and with its second character as a reference.
        const auto writings = [](const QString& context, int encoding) {
            QStringList out;
            for (const QString& between : breaks)
                out.append(context.at(0) + between + context.mid(1));
            if (encoding == 1)
                out.append(context.at(0) + QStringLiteral("\u0301") + context.mid(1));
            out.append(context.at(0) + QStringLiteral("&#%1;").arg(context.at(1).unicode()) +
                       context.mid(2));
            return out;
        };
        // The first two characters are what the bytes are looked through for.
        static const QStringList contexts = {QStringLiteral("жарко"), QStringLiteral("ЁЖ"),
                                             QStringLiteral("Pq"), QStringLiteral("7z")};
        int checks = 0;
        for (const int encoding : {0, 1}) {
            for (const QString& context : contexts) {
                for (const QString& occurrence : writings(context, encoding)) {
                    for (int at = 0; at < 140; ++at) {
                        const QString page =
                            QString(at, u' ') + occurrence.toLower() + QString(160 - at, u' ');
                        const QByteArray raw = encoded(page, encoding);
                        // "&amp;" stands for a character of its own.
                        const bool expected = !occurrence.contains(u"&amp;");
                        const QByteArray what = raw.toHex() + ' ' + context.toUtf8();
                        QVERIFY2(
                            !PlainText::occurrences(PlainText::text(raw), context, false, false)
                                    .empty() == expected,
                            what.constData());
                        QVERIFY2(TextSearch(context, MatchOptions{false, false, true})
                                         .contains(raw.constData(), raw.size()) == expected,
                                 what.constData());
                        ++checks;
                    }
                }
            }
        }
        QCOMPARE(checks, 4 * (9 + 10) * 140);
    }

    // A document longer than its first read is answered from the first bytes only when what
    // follows cannot change the answer: markup, a comment or a word cut where the read ends
    // is read on.
    void firstReadAnswersOnlyWhatTheRestCannotChange()
    {
        QTemporaryDir dir;
        const qsizetype chunk = DocumentSearch::ChunkSize;
        struct Case
        {
            QByteArray atEnd; // ends the first read (its last byte the chunk's)
            QByteArray after;
            QString context;
            bool wholeWords;
            bool found;
        };
        const QList<Case> cases = {
            // "<" the last byte: a tag, so the word goes on ("ксилолиты").
            {"ksilolit<", "b>y</b> end", QStringLiteral("ксилолит"), true, false},
            {"ksilolit<", "b>y</b> end", QStringLiteral("ксилолит"), false, true},
            // A word cut by the end of the read.
            {"ksilo", "lit end", QStringLiteral("ксилолит"), false, true},
            {"ksilolit", "y end", QStringLiteral("ксилолит"), true, false},
            // A comment begun before the context and ended after the read.
            {"<!-- ksilolit", " --> end", QStringLiteral("ксилолит"), false, false},
            // A tag whose quoted value holds the context, closed after the read.
            {"<span title='ksilolit", "'>x</span>", QStringLiteral("ксилолит"), false, false},
            // Found well inside the first read: the rest is not read.
            {"ksilolit, <p>more", " text", QStringLiteral("ксилолит"), true, true},
        };
        int n = 0;
        // The end of a first look at a document's first bytes alone, and of the first chunk.
        for (const qsizetype read : {FirstLook::Size, chunk}) {
            for (const Case& c : cases) {
                // Latin letters stand for Cyrillic ones in the table: ksilolit, y.
                QByteArray end = c.atEnd;
                end.replace("ksilolit", TestFiles::cp1251(QStringLiteral("ксилолит")));
                end.replace("ksilo", TestFiles::cp1251(QStringLiteral("ксило")));
                QByteArray after = c.after;
                after.replace("lit", TestFiles::cp1251(QStringLiteral("лит")));
                after.replace("y", TestFiles::cp1251(QStringLiteral("ы")));
                QByteArray page =
                    QByteArray("<p>") + QByteArray("filler text ").repeated(chunk / 12);
                page.truncate(read - end.size() - 1);
                page += ' ' + end + after + QByteArray(3 * chunk, ' ');
                const QString path = dir.filePath(QStringLiteral("%1.htm").arg(n++));
                QVERIFY(TestFiles::write(path, page));
                const MatchOptions options{false, c.wholeWords, true, false};
                const QByteArray what =
                    c.atEnd + " | " + c.after + " at " + QByteArray::number(read);
                // A search's first document is looked at first; the next is not, yet.
                const DocumentSearch search(c.context, options);
                QVERIFY2(search.contains(path) == c.found, what.constData());
                QVERIFY2(search.contains(path) == c.found, what.constData());
                QVERIFY2(TextSearch(c.context, options).contains(page.constData(), page.size()) ==
                             c.found,
                         what.constData());
            }
        }
    }

    // A search looks at documents' first bytes alone while they answer for most of them: a
    // sample of the documents always does, the rest once enough looks answered.
    void firstLookFollowsWhatAnswers()
    {
        const auto wantedOf = [](FirstLook& look, int documents) {
            int wanted = 0;
            for (int i = 0; i < documents; ++i)
                wanted += look.isWanted() ? 1 : 0;
            return wanted;
        };
        FirstLook rare;
        for (int i = 0; i < 10; ++i)
            rare.noteLook(i == 0);
        QCOMPARE(wantedOf(rare, 160), 10); // the sample alone
        FirstLook common;
        QCOMPARE(wantedOf(common, 16), 1); // nothing learnt yet: the first alone
        for (int i = 0; i < 10; ++i)
            common.noteLook(i != 0);
        QCOMPARE(wantedOf(common, 160), 160);
        for (int i = 0; i < 20; ++i)
            common.noteLook(false); // the share of answers falls below half
        QCOMPARE(wantedOf(common, 32), 2);
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
            const qsizetype length = n % 6 == 5   ? 3 * DocumentSearch::ChunkSize / 2
                                     : n % 6 == 2 ? 2 * FirstLook::Size
                                                  : 3000;
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
                // Looked at first, and not (a search's first and second document).
                const DocumentSearch search(context, options);
                QCOMPARE(search.contains(path), expected);
                QCOMPARE(search.contains(path), expected);
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
