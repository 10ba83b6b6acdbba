#include "index/indexbuild.h"
#include "index/indexlocation.h"
#include "library/libraryscan.h"
#include "matching/highlightedcopy.h"
#include "matching/wordforms.h"
#include "matching/wordsearch.h"
#include "search/searchjob.h"
#include "testsupport/pagewriter.h"
#include "testsupport/testfiles.h"
#include "text/documenttext.h"

#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <chrono>
#include <thread>

#include <sqlite3.h>

namespace {

SearchRequest wordSearch(const QString& query, const QString& folder, bool useIndex)
{
    SearchRequest request;
    request.context = query;
    request.folders = {folder};
    request.options.textMode = true;
    request.options.wordForms = true;
    request.useIndex = useIndex;
    return request;
}

QStringList foundPaths(const SearchResult& result)
{
    QStringList paths;
    LibraryScan::forEachDocument(result.nodes,
                                 [&paths](const ScanNode& node) { paths.append(node.path); });
    return paths;
}

} // namespace

class TestWordForms : public QObject
{
    Q_OBJECT

    QTemporaryDir m_cache;

    // Whether a page (windows-1251) is found by the query.
    static bool holds(const QString& page, const QString& query)
    {
        QList<QStringList> words;
        for (const WordForms::Word& word :
             WordForms::words(DocumentText(TestFiles::cp1251(page)).text()))
            words.append(word.keys);
        return WordQuery::allFound(WordQuery(query).counts(words));
    }

private slots:
    void initTestCase() { qputenv("XDG_CACHE_HOME", m_cache.path().toUtf8()); }

    // A page held whole is counted with an eye on cancel: a search stopped while it reads
    // one long page of words that all get keys gives no answer for it, and soon.
    void countingStopsWhenCancelled()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("long.htm"));
        QVERIFY(TestFiles::write(
            path, TestFiles::cp1251(QStringLiteral("<p>") +
                                    QStringLiteral("стоимостью стоимости ").repeated(1400000))));
        const WordSearch search(QStringLiteral("стоимость"));
        std::atomic<bool> cancel{false};
        std::thread stopper([&cancel] {
            // Once the page is read into memory, while its words are counted.
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            cancel = true;
        });
        const WordSearch::Reading reading = search.read(path, &cancel);
        stopper.join();
        QVERIFY(!reading.readable);
        QVERIFY(!reading.found());
    }

    // A search reads a page's words past its markup, not character by character: it counts
    // the words and the groups the reader and the splitter give, on pages made to trip it
    // (words split by tags, comments, references and left-out characters; broken markup,
    // broken UTF-8, a head left open, words longer than a word can be), in both encodings.
    void wordsPastTheMarkupAreTheReadersWords()
    {
        QTemporaryDir dir;
        PageWriter writer(20261210);
        const QStringList queries = {QStringLiteral("стоимость"),
                                     QStringLiteral("сметная коэффициент"),
                                     QStringLiteral("\"сметная стоимость\""),
                                     QStringLiteral("МРОТ елка"), QStringLiteral("portland 12")};
        const QStringList tricks = {QStringLiteral("сто&shy;имость"),
                                    QStringLiteral("сто\u00ADимость"),
                                    QStringLiteral("сто&#769;имость"),
                                    QStringLiteral("смет<br>ная"),
                                    QStringLiteral("смет<i>ная</i>"),
                                    QStringLiteral("ст<!-- x -->оимость"),
                                    QStringLiteral("&#1089;тоимость"),
                                    QStringLiteral("&NotEqualTilde;стоимость"),
                                    QStringLiteral("R&amp D&ampстоимость"),
                                    QStringLiteral("<title>стоимость</title>"),
                                    QStringLiteral("<head><p>стоимость"),
                                    QStringLiteral("a <b стоимость"),
                                    QStringLiteral("<script>стоимость</script >стоимость"),
                                    QString(300, u'я'),
                                    QStringLiteral("стоимость\u2153стоимость"),
                                    QStringLiteral("<!--> стоимость"),
                                    QStringLiteral("< стоимость </ >"),
                                    QStringLiteral("Стоимостью&")};
        int found = 0;
        int pages = 0;
        for (int n = 0; n < 60; ++n) {
            QString page = writer.page(2000 + 300 * (n % 7));
            for (int t = 0; t < 6; ++t) {
                const qsizetype at = writer.random().bounded(int(page.size()));
                page.insert(at, writer.pick(tricks));
            }
            if (n % 5 == 4)
                page.chop(writer.random().bounded(40)); // ends in the middle of anything
            QByteArray raw = encoded(page, n % 2);
            if (n % 6 == 1) {
                // Bytes that are no UTF-8: a lone lead, a lead cut by markup, an overlong form.
                for (const char* bad : {"\xD1", "\xD1<b>\x82", "\xE0\x80\x80", "\xC0\xAF"})
                    raw.insert(writer.random().bounded(int(raw.size())), bad);
            }
            const QString path = dir.filePath(QStringLiteral("%1.htm").arg(n));
            QVERIFY(TestFiles::write(path, raw));
            const std::vector<WordForms::Word> words =
                WordForms::words(DocumentText(raw).characters());
            QList<QStringList> keys;
            for (const WordForms::Word& word : words)
                keys.append(word.keys);
            for (const QString& query : queries) {
                const QList<int> expected = WordQuery(query).counts(keys);
                const WordSearch::Reading reading = WordSearch(query).read(path);
                const QByteArray what = path.toUtf8() + ": " + query.toUtf8();
                QVERIFY2(reading.readable, what.constData());
                if (WordQuery::allFound(expected)) {
                    QCOMPARE(reading.counts, expected);
                    QCOMPARE(reading.length, int(words.size()));
                    ++found;
                } else {
                    QVERIFY2(!reading.found(), what.constData());
                }
                ++pages;
            }
        }
        QVERIFY(found > pages / 4);
    }

    // Each step of the rule on crafted pages.
    void theRule_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("query");
        QTest::addColumn<bool>("found");
        const QString norm = QStringLiteral("<p>Определение сметной стоимости строительства</p>");
        QTest::newRow("forms") << norm << QStringLiteral("сметная стоимость") << true;
        QTest::newRow("any order") << norm << QStringLiteral("стоимость сметная") << true;
        QTest::newRow("every word needed") << norm << QStringLiteral("сметная цена") << false;
        QTest::newRow("capitals") << norm << QStringLiteral("СМЕТНАЯ Стоимость") << true;
        QTest::newRow("ё as е") << QStringLiteral("<p>Учёт затрат</p>") << QStringLiteral("учет")
                                << true;
        QTest::newRow("е finds ё")
            << QStringLiteral("<p>Учет затрат</p>") << QStringLiteral("учёт") << true;
        QTest::newRow("phrase in order") << norm << QStringLiteral("\"сметная стоимость\"") << true;
        QTest::newRow("phrase reversed")
            << norm << QStringLiteral("\"стоимость сметная\"") << false;
        QTest::newRow("phrase across tags and lines")
            << QStringLiteral("<p>сметн<b>ой</b>\r\n <span>стоимости</span></p>")
            << QStringLiteral("\"сметная стоимость\"") << true;
        QTest::newRow("phrase across a cell")
            << QStringLiteral("<td>сметной</td><td>стоимости</td>")
            << QStringLiteral("\"сметная стоимость\"") << true;
        QTest::newRow("phrase broken by a word")
            << QStringLiteral("<p>сметной полной стоимости</p>")
            << QStringLiteral("\"сметная стоимость\"") << false;
        QTest::newRow("designation") << QStringLiteral("<p>СНиП 2.01.07-85* Нагрузки</p>")
                                     << QStringLiteral("2.01.07-85") << true;
        QTest::newRow("designation near miss") << QStringLiteral("<p>СНиП 2.01.07-85* Нагрузки</p>")
                                               << QStringLiteral("2.01.07-86") << false;
        QTest::newRow("designation with other separators")
            << QStringLiteral("<p>СНиП 2 01 07–85</p>") << QStringLiteral("2.01.07-85") << true;
        QTest::newRow("hyphen parts are words")
            << QStringLiteral("<p>железо-бетонный</p>") << QStringLiteral("бетонные") << true;
        QTest::newRow("Latin forms")
            << QStringLiteral("<p>Portland cements</p>") << QStringLiteral("cement") << true;
        QTest::newRow("digits stay as they are")
            << QStringLiteral("<p>марки 300</p>") << QStringLiteral("30") << false;
        QTest::newRow("mixed script stays whole")
            << QStringLiteral("<p>CНиП</p>") << QStringLiteral("снип") << false;
        QTest::newRow("reference decoded")
            << QStringLiteral("<p>&#1089;&#1084;&#1077;&#1090;&#1072;</p>")
            << QStringLiteral("сметы") << true;
        QTest::newRow("markup is no text")
            << QStringLiteral("<p class=стоимость>x</p>") << QStringLiteral("стоимость") << false;
    }
    void theRule()
    {
        QFETCH(QString, page);
        QFETCH(QString, query);
        QFETCH(bool, found);
        QCOMPARE(holds(page, query), found);
    }

    void queries()
    {
        QCOMPARE(WordQuery(QStringLiteral("  \"сметная стоимость\"  СНиП ")).groups().size(), 2);
        // Digits are no dictionary word: each is itself, as a word the dictionary does not
        // know (looked up among the words it knows and those it does not).
        const auto digits = [](const char* number) {
            return QStringList{QLatin1Char('^') + QLatin1String(number),
                               QLatin1Char('~') + QLatin1String(number)};
        };
        const QList<WordQuery::Group> designation{
            {digits("2"), digits("01"), digits("07"), digits("85")}};
        QCOMPARE(WordQuery(QStringLiteral("2.01.07-85")).groups(), designation);
        QVERIFY(!WordQuery(QStringLiteral(" - … \" \" ")).isValid());
        QCOMPARE(WordForms::keys(QStringLiteral("Сметной")),
                 WordForms::keys(QStringLiteral("сметная")));
    }

    // The highlighted copy marks every form, a phrase as a whole, numbered as text mode does.
    void highlighting()
    {
        const QByteArray page =
            TestFiles::cp1251(QStringLiteral("<p>Сметная стоимость. Определение сметной "
                                             "<b>стоимости</b> и стоимостей.</p>"));
        MatchOptions options;
        options.wordForms = true;
        const HighlightedCopy::Highlight copy = HighlightedCopy::highlight(
            page, QStringLiteral("\"сметная стоимость\" стоимость"), options, "<m>", "</m>");
        QCOMPARE(copy.marked, 3); // two phrases, one word
        QVERIFY(copy.copy.contains("data-occurrence='3'"));
        QCOMPARE(copy.snippetMatch, QStringLiteral("Сметная стоимость"));
    }

    // On a generated library, with queries drawn from its text: the documents found through
    // the index are those found by reading; a document where the words stand together and
    // often comes before one where they are scattered once.
    void indexAndRelevance()
    {
        QTemporaryDir dir;
        const QString library = dir.path() + QStringLiteral("/lib");
        PageWriter writer(11);
        for (int i = 0; i < 30; ++i)
            QVERIFY(TestFiles::write(library + QStringLiteral("/%1/d%2.htm").arg(i % 3).arg(i),
                                     encoded(writer.page(400 + 200 * (i % 5)), i % 4)));
        QVERIFY(TestFiles::write(
            library + QStringLiteral("/close.htm"),
            TestFiles::cp1251(QStringLiteral("<p>Ксилолитовые покрытия. Покрытия ксилолитовые, "
                                             "ксилолитового покрытия.</p>"))));
        QVERIFY(TestFiles::write(library + QStringLiteral("/forms.htm"),
                                 TestFiles::cp1251(QStringLiteral(
                                     "<p>Марки стали. Швы свай учтены; изменён шаг.</p>"))));
        QVERIFY(TestFiles::write(
            library + QStringLiteral("/apart.htm"),
            TestFiles::cp1251(QStringLiteral("<p>Ксилолит упомянут здесь.</p>") +
                              QStringLiteral("<p>Прочий текст документа. </p>").repeated(40) +
                              QStringLiteral("<p>А здесь покрытие.</p>"))));
        QCOMPARE(IndexBuild::updateOwn(library).outcome, IndexBuild::Outcome::Done);

        const QStringList queries = {QStringLiteral("сметная стоимость"),
                                     QStringLiteral("\"сметной стоимости\""),
                                     QStringLiteral("снип мрот"),
                                     QStringLiteral("елки"),
                                     QStringLiteral("Portland 12,5"),
                                     QStringLiteral("R&D коэффициенты"),
                                     QStringLiteral("ксилолитовое покрытие"),
                                     QStringLiteral("стали"),
                                     QStringLiteral("\"марки стали\""),
                                     QStringLiteral("учесть свая"),
                                     QStringLiteral("изменить шов"),
                                     QStringLiteral("ксилолиты"),
                                     QStringLiteral("нет таких слов")};
        for (const QString& query : queries) {
            const SearchResult read = SearchJob(wordSearch(query, library, false)).run();
            const SearchResult indexed = SearchJob(wordSearch(query, library, true)).run();
            QCOMPARE(indexed.indexedFolders, QStringList{library});
            QStringList a = foundPaths(read);
            QStringList b = foundPaths(indexed);
            QCOMPARE(b, a); // the tree's order: the scan's
            QCOMPARE(indexed.relevance.keys().size(), a.size());
        }
        // The forms by the dictionary, with the index and without.
        for (const bool useIndex : {false, true}) {
            for (const QString& query :
                 {QStringLiteral("сталь"), QStringLiteral("\"марка стали\""),
                  QStringLiteral("учесть свая шов"), QStringLiteral("изменить")}) {
                const QStringList paths =
                    foundPaths(SearchJob(wordSearch(query, library, useIndex)).run());
                QVERIFY2(paths.contains(library + QStringLiteral("/forms.htm")), qPrintable(query));
            }
        }

        // An index whose words were keyed by another dictionary answers no word-forms query
        // (the documents are read), and the next update makes it anew.
        sqlite3* db = nullptr;
        QVERIFY(sqlite3_open(IndexLocation::cacheFile(library).toUtf8().constData(), &db) ==
                SQLITE_OK);
        QVERIFY(sqlite3_exec(db, "UPDATE meta SET value = 'ru_RU 0' WHERE key = 'wordkeys';",
                             nullptr, nullptr, nullptr) == SQLITE_OK);
        sqlite3_close(db);
        const SearchResult unkeyed =
            SearchJob(wordSearch(QStringLiteral("стали"), library, true)).run();
        QVERIFY(unkeyed.indexedFolders.isEmpty());
        QCOMPARE(foundPaths(unkeyed),
                 foundPaths(SearchJob(wordSearch(QStringLiteral("стали"), library, false)).run()));
        const IndexBuild::Report rebuilt = IndexBuild::updateOwn(library);
        QVERIFY(rebuilt.replaced);
        QCOMPARE(SearchJob(wordSearch(QStringLiteral("стали"), library, true)).run().indexedFolders,
                 QStringList{library});

        for (const bool useIndex : {false, true}) {
            const SearchResult result =
                SearchJob(wordSearch(QStringLiteral("ксилолитовое покрытие"), library, useIndex))
                    .run();
            const double close = result.relevance.value(library + QStringLiteral("/close.htm"));
            const double apart = result.relevance.value(library + QStringLiteral("/apart.htm"));
            QVERIFY2(close > apart, qPrintable(QStringLiteral("%1 %2").arg(close).arg(apart)));
        }
    }
};

QTEST_GUILESS_MAIN(TestWordForms)
#include "tst_wordforms.moc"
