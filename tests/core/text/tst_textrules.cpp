#include "index/documentindex.h"
#include "matching/documentsearch.h"
#include "matching/textmatcher.h"
#include "matching/textsearch.h"
#include "matching/wordforms.h"
#include "matching/wordsearch.h"
#include "testsupport/testfiles.h"
#include "text/characterrules.h"
#include "text/documenttext.h"

#include <QTemporaryDir>
#include <QTest>

// The rules every mode shares: what a word is, and the text a page gives.
class TestTextRules : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    // The quick look around a candidate walks back over characters of several bytes in UTF-8
    // pages (a PDF's text is one) as the reading from the start decodes them.
    void utf8WalksBackAsItReads_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("context");
        QTest::newRow("inside a word") << QByteArray("железобетонный") << QStringLiteral("бетон");
        QTest::newRow("rare letter late")
            << QByteArray("начало коэффициента") << QStringLiteral("коэффициент");
        QTest::newRow("blank between")
            << QByteArray("сметная&nbsp;стоимость") << QStringLiteral("сметная стоимость");
        QTest::newRow("yo") << QByteArray("Ёлка и ёж") << QStringLiteral("ёж");
        QTest::newRow("lone lead byte") << QByteArray("\xD0бетон") << QStringLiteral("бетон");
        QTest::newRow("lone follower") << QByteArray("\x80бетон") << QStringLiteral("бетон");
        QTest::newRow("overlong") << QByteArray("\xE0\x80\x80бетон") << QStringLiteral("бетон");
        QTest::newRow("four bytes")
            << QByteArray("\xF0\x9F\x98\x80бетон") << QStringLiteral("бетон");
        QTest::newRow("soft hyphen")
            << QByteArray("коэф\xC2\xADфициент") << QStringLiteral("коэффициент");
        QTest::newRow("tag inside")
            << QByteArray("ко<b>эфф</b>ициент") << QStringLiteral("коэффициент");
        QTest::newRow("other word") << QByteArray("коэффицент") << QStringLiteral("коэффициент");
    }
    void utf8WalksBackAsItReads()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, context);
        const QByteArray page = "<html><head><meta charset=\"utf-8\"></head><body><p>x " + body +
                                " y</p></body></html>";
        for (const bool wholeWords : {false, true}) {
            const MatchOptions options{false, wholeWords, true, false};
            const bool expected =
                !TextMatcher(context, options).find(DocumentText(page).characters()).empty();
            QCOMPARE(TextSearch(context, options).contains(page.constData(), page.size()),
                     expected);
        }
    }

    // Whole words (raw and text mode) and word forms split words at the same characters.
    void wordRuleAgreesAcrossModes()
    {
        struct Row
        {
            const char16_t* after; // what follows the word in the page
            bool joins;            // whether it makes part of the word
        };
        const Row rows[] = {
            {u"q", true},       {u"7", true},       {u"ª", true},        {u"\u0663", true},
            {u"²", false},      {u"½", false},      {u"Ⅻ", false},       {u"_", false},
            {u"-", false},      {u"\u0306", true},  {u"\u00A0", false},  {u"\u2009", false},
            {u"&#178;", false}, {u"&#x661;", true}, {u"<b>7</b>", true}, {u"<br>7", false},
        };
        int number = 0;
        for (const Row& row : rows) {
            const QString after = QString::fromUtf16(row.after);
            const QString path = m_dir.filePath(QStringLiteral("page%1.htm").arg(++number));
            QVERIFY(TestFiles::write(path, (QStringLiteral("<meta charset=utf-8><p>Бетон") + after +
                                            QStringLiteral(" класса</p>"))
                                               .toUtf8()));
            const QString text = DocumentText(TestFiles::read(path)).text();
            const qsizetype next = text.indexOf(QStringLiteral("Бетон")) + 5;
            if (!after.startsWith(u'<') && !after.startsWith(u'&'))
                QCOMPARE(CharacterRules::isWordCharacter(text.at(next).unicode()), row.joins);

            const bool wholeWord = !row.joins;
            const QString context = QStringLiteral("бетон");
            QVERIFY2(
                DocumentSearch(context, MatchOptions{false, true, true, false}).contains(path) ==
                    wholeWord,
                qPrintable(QStringLiteral("text mode, after ") + after));
            if (!after.startsWith(u'<') && !after.startsWith(u'&')) // markup is raw text
                QVERIFY2(DocumentSearch(context, MatchOptions{false, true, false, false})
                                 .contains(path) == wholeWord,
                         qPrintable(QStringLiteral("raw, after ") + after));
            QVERIFY2(WordSearch(context).read(path).found() == wholeWord,
                     qPrintable(QStringLiteral("word forms, after ") + after));
        }
    }

    // A soft hyphen and a stress accent are not seen by the reader: a word that holds one is
    // found whole in every mode, whatever the page's encoding and however they are written.
    void invisibleCharactersKeepWordsWhole()
    {
        const QString utf8Head = QStringLiteral("<meta charset=utf-8>");
        const struct
        {
            QByteArray bytes;
            const char* what;
        } pages[] = {
            {TestFiles::cp1251(QStringLiteral("<p>Желез\u00ADобетонный за&#769;мок.</p>")),
             "windows-1251, the byte"},
            {TestFiles::cp1251(QStringLiteral("<p>Желез&shy;обетонный за<b>&#x301;</b>мок.</p>")),
             "windows-1251, references"},
            {(utf8Head + QStringLiteral("<p>Желез\u00ADобетонный за\u0301мок.</p>")).toUtf8(),
             "utf-8, the characters"},
            {(utf8Head + QStringLiteral("<p>Желез&shy;обетонный за&#768;мок.</p>")).toUtf8(),
             "utf-8, references"},
            {TestFiles::utf16(QStringLiteral("<p>Желез\u00ADобетонный за\u0301мок.</p>")),
             "utf-16"},
        };
        const MatchOptions text{false, false, true, false};
        const MatchOptions wholeWords{false, true, true, false};
        int number = 0;
        for (const auto& page : pages) {
            const QString path = m_dir.filePath(QStringLiteral("invisible%1.htm").arg(++number));
            QVERIFY(TestFiles::write(path, page.bytes));
            QCOMPARE(DocumentText(TestFiles::read(path)).text().trimmed(),
                     QStringLiteral("Железобетонный замок."));
            QVERIFY2(DocumentSearch(QStringLiteral("железобетонный замок"), text).contains(path),
                     page.what);
            QVERIFY2(DocumentSearch(QStringLiteral("ЗАМОК"), wholeWords).contains(path), page.what);
            QVERIFY2(!DocumentSearch(QStringLiteral("за"), wholeWords).contains(path), page.what);
            QVERIFY2(!DocumentSearch(QStringLiteral("обетонный"), wholeWords).contains(path),
                     page.what);
            QVERIFY2(WordSearch(QStringLiteral("железобетонного замок")).read(path).found(),
                     page.what);
            QVERIFY2(!WordSearch(QStringLiteral("за")).read(path).found(), page.what);
        }
        // Typed into the find box they are left out too.
        QVERIFY2(DocumentSearch(QStringLiteral("за\u0301мок"), wholeWords)
                     .contains(m_dir.filePath(QStringLiteral("invisible1.htm"))),
                 "accent in the context");
        QCOMPARE(WordForms::tokens(QStringLiteral("желез\u00ADобетон")),
                 WordForms::tokens(QStringLiteral("железобетон")));
    }

    // The text and the words of a fixed page. The index keeps both as they were when it was
    // written: a change of the text rule must come with a new format of the index, so that
    // indexes of the old rule are rebuilt.
    void pinnedTextAndWords()
    {
        const QByteArray page = TestFiles::cp1251(QStringLiteral(
            "<html><head><title>Т</title><style>p{}</style></head><body>"
            "<h1>СНиП&nbsp;3.03.01-87*</h1><!-- скрыто --><p>Бетон&nbsp;класса В25, м&#179; "
            "&#150; 12,5 т.</p><script>var x = 1;</script><table><tr><td>Ёмкость<td>"
            "стали</table>&laquo;Сметная&raquo; <span>сто</span>имость &amp;c</body></html>"));
        const QString text = DocumentText(page).text();
        const QString pinnedText = QStringLiteral(
            " СНиП 3.03.01-87* Бетон класса В25, м³ – 12,5 т. Ёмкость стали «Сметная» стоимость "
            "&c");
        const QStringList pinnedStems =
            QStringLiteral("^снип|снип ~3 ~03 ~01 ~87 ^бетон|бетон ^класс|класс ~в25 ~м ~12 ~5 ~т "
                           "^емкост|емкость ^стал|сталь|стать ^сметн|сметный "
                           "^стоимост|стоимость ~c")
                .split(u' ');
        const char* remind = "the text rule changed: raise DocumentIndex::FormatVersion (indexes "
                             "of the old rule are then rebuilt) and pin the new text here";
        QVERIFY2(text == pinnedText, remind);
        QVERIFY2(WordForms::tokens(text) == pinnedStems, remind);
        QVERIFY2(DocumentIndex::FormatVersion == 10, remind);
    }
};

QTEST_GUILESS_MAIN(TestTextRules)
#include "tst_textrules.moc"
