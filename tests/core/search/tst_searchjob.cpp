#include "matching/contextpattern.h"
#include "matching/documentsearch.h"
#include "matching/highlightedcopy.h"
#include "search/searchhistory.h"
#include "search/searchjob.h"
#include "settings/appsettings.h"
#include "testsupport/plainsearch.h"
#include "testsupport/testfiles.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QtConcurrent>

#include <sys/stat.h>

#include <thread>

class TestSearchJob : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    static SearchResult search(const QString& dir, const QString& context, bool caseSensitive)
    {
        return SearchJob(SearchRequest{context, MatchOptions{caseSensitive}, {dir}, {}, {}}).run();
    }
    static QString flatten(const std::vector<ScanNode>& nodes)
    {
        QString out;
        for (const ScanNode& node : nodes)
            out += (node.isFolder ? QStringLiteral("[") + node.path + QStringLiteral(":") +
                                        flatten(node.children) + QStringLiteral("]")
                                  : node.path) +
                   u';';
        return out;
    }
    static QString flatten(const std::vector<PlainSearch::Node>& nodes)
    {
        QString out;
        for (const PlainSearch::Node& node : nodes)
            out += (node.isFolder ? QStringLiteral("[") + node.path + QStringLiteral(":") +
                                        flatten(node.children) + QStringLiteral("]")
                                  : node.path) +
                   u';';
        return out;
    }

    // Words of the generated documents: Russian and Latin, some in capitals.
    const QStringList m_words{
        QStringLiteral("Сметная"),     QStringLiteral("стоимость"), QStringLiteral("КСИЛОЛИТ"),
        QStringLiteral("ксилолит"),    QStringLiteral("Ёлка"),      QStringLiteral("ёж"),
        QStringLiteral("Portland"),    QStringLiteral("ISO"),       QStringLiteral("9001"),
        QStringLiteral("<table>"),     QStringLiteral("&laquo;"),   QStringLiteral("СНиП"),
        QStringLiteral("коэффициент"), QStringLiteral("Щ"),         QStringLiteral("яЯ"),
        QStringLiteral("а-б"),         QStringLiteral("?")};

    QByteArray makeDocument(QRandomGenerator& random, bool utf8, int words)
    {
        QString text;
        const char* breaks[] = {"\r\n", "\n", "\r", " ", " ", " "};
        for (int i = 0; i < words; ++i) {
            text += m_words.at(random.bounded(m_words.size()));
            text += QString::fromLatin1(breaks[random.bounded(6)]);
        }
        if (utf8) {
            const bool bom = random.bounded(2) == 0;
            const QByteArray head =
                bom ? QByteArray("\xEF\xBB\xBF<html>") : QByteArray("<meta charset=\"UTF-8\">");
            return head + text.toUtf8();
        }
        return TestFiles::cp1251(text);
    }

private slots:
    void engineEqualsPlainScan()
    {
        QRandomGenerator random(20261208);
        const QString root = m_dir.filePath(QStringLiteral("generated"));
        QStringList folders{root};
        for (int i = 0; i < 12; ++i) {
            const QString parent = folders.at(random.bounded(folders.size()));
            const QString folder =
                parent + QStringLiteral("/Папка %1%2")
                             .arg(i)
                             .arg(random.bounded(3) == 0 ? QStringLiteral(".2") : QString());
            QVERIFY(QDir().mkpath(folder));
            folders.append(folder);
        }
        for (int i = 0; i < 80; ++i) {
            const QString folder = folders.at(random.bounded(folders.size()));
            const QString ext =
                random.bounded(10) == 0 ? QStringLiteral(".HTM") : QStringLiteral(".htm");
            QVERIFY(TestFiles::write(
                folder + QStringLiteral("/Документ %1").arg(i) + ext,
                makeDocument(random, random.bounded(4) == 0, 5 + random.bounded(40))));
        }
        // One large document whose only occurrence starts in the last bytes a chunk can keep.
        const QByteArray boundary = TestFiles::cp1251(QStringLiteral("Граница чанка"));
        QByteArray large(DocumentSearch::ChunkSize - (boundary.size() - 1), 'x');
        large += TestFiles::cp1251(QStringLiteral("Граница чанка"));
        large += QByteArray(DocumentSearch::ChunkSize, 'y');
        QVERIFY(TestFiles::write(root + QStringLiteral("/Большой.htm"), large));
        QVERIFY(TestFiles::write(root + QStringLiteral("/_index.htm"),
                                 TestFiles::cp1251(QStringLiteral("ксилолит"))));
        // Declared UTF-8 near the end of the window that counts, with LF line ends.
        QVERIFY(TestFiles::write(
            root + QStringLiteral("/Поздний.htm"),
            QByteArray("<p>\n").repeated(495) + "<meta charset=utf-8>" +
                QStringLiteral("Сметная\nстоимость <table> ёлка ксилолит").toUtf8()));
        QVERIFY(TestFiles::write(root + QStringLiteral("/Doc.files/header.htm"),
                                 TestFiles::cp1251(QStringLiteral("ксилолит"))));

        QStringList contexts{QStringLiteral("ксилолит"),
                             QStringLiteral("КСИЛОЛИТ"),
                             QStringLiteral("ёлка"),
                             QStringLiteral("граница ЧАНКА"),
                             QStringLiteral("iso 9001"),
                             QStringLiteral("а-б?"),
                             QStringLiteral("<TABLE>"),
                             QStringLiteral("яя"),
                             QStringLiteral("щ"),
                             QStringLiteral("zażółć"),
                             QStringLiteral("ёж"),
                             QStringLiteral("ЁЖ"),
                             QStringLiteral("Сметная\r\nстоимость")};
        for (int i = 0; i < 25; ++i) {
            // Random pieces of the words, in random letter case.
            QString context = m_words.at(random.bounded(m_words.size())) + u' ' +
                              m_words.at(random.bounded(m_words.size()));
            const int start = random.bounded(context.size());
            context = context.mid(start, 1 + random.bounded(context.size() - start));
            if (random.bounded(2))
                context = context.toUpper();
            contexts.append(context);
        }
        int nonTrivial = 0;
        for (const QString& context : std::as_const(contexts)) {
            for (const bool caseSensitive : {false, true}) {
                const SearchResult fast = search(root, context, caseSensitive);
                const PlainSearch::Result plain = PlainSearch::search(root, context, caseSensitive);
                const QByteArray what =
                    (context + (caseSensitive ? QStringLiteral(" (case)") : QString())).toUtf8();
                QVERIFY2(fast.checked == plain.checked, what.constData());
                QVERIFY2(fast.found == plain.found, what.constData());
                QVERIFY2(flatten(fast.nodes) == flatten(plain.nodes), what.constData());
                // Every found document's highlighted copy marks an occurrence, or says that all
                // lie in the markup.
                LibraryScan::forEachDocument(fast.nodes, [&](const ScanNode& node) {
                    const auto copy = HighlightedCopy::highlight(
                        TestFiles::read(node.path), context,
                        MatchOptions{caseSensitive, false, false, false}, "<S>", "</S>");
                    QVERIFY2(copy.marked > 0 ? copy.copy.contains("<S>") : copy.inMarkup > 0,
                             (what + ' ' + node.path.toUtf8()).constData());
                });
                if (plain.found > 0 && plain.found < plain.checked)
                    ++nonTrivial;
            }
        }
        QVERIFY(nonTrivial > 10);
        QCOMPARE(search(root, QStringLiteral("граница чанка"), false).found, 1);
    }

    void utf8Documents_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("context");
        QTest::addColumn<bool>("found");
        const QByteArray body = QStringLiteral("Смета на ЁЛКУ").toUtf8();
        QTest::newRow("bom") << QByteArray("\xEF\xBB\xBF") + body << QStringLiteral("ёлку") << true;
        QTest::newRow("meta") << "<meta charset=utf-8>" + body << QStringLiteral("смета") << true;
        QTest::newRow("blanks quote") << "<meta content='text/html; CHARSET = \"UtF8\"'>" + body
                                      << QStringLiteral("СМЕТА") << true;
        QTest::newRow("declared too late")
            << QByteArray(2100, ' ') + "charset=utf-8" + body << QStringLiteral("смета") << false;
        QTest::newRow("windows-1251")
            << TestFiles::cp1251(QStringLiteral("Смета на ЁЛКУ")) << QStringLiteral("ёлку") << true;
        QTest::newRow("no 1251 form")
            << TestFiles::cp1251(QStringLiteral("a?b")) << QStringLiteral("aąb") << false;
        QTest::newRow("utf8 any char") << "<meta charset=utf-8>" + QStringLiteral("zażółć").toUtf8()
                                       << QStringLiteral("ŻÓŁ") << false;
        QTest::newRow("utf8 exact") << "<meta charset=utf-8>" + QStringLiteral("zażółć").toUtf8()
                                    << QStringLiteral("żół") << true;
    }
    void utf8Documents()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, context);
        QFETCH(bool, found);
        const QString path = m_dir.filePath(QStringLiteral("utf8.htm"));
        QVERIFY(TestFiles::write(path, bytes));
        QCOMPARE(DocumentSearch(context, false).contains(path), found);
        QCOMPARE(PlainSearch::contains(path, context, false), found);
    }

    void contextLongerThanAChunk()
    {
        // A context longer than a chunk, found at the end of a large document.
        QString context;
        for (int i = 0; context.size() < 70000; ++i)
            context += QStringLiteral("Щебень %1; ").arg(i);
        const QString path = m_dir.filePath(QStringLiteral("long.htm"));
        QVERIFY(TestFiles::write(path, QByteArray(300000, 'x') + TestFiles::cp1251(context)));
        QVERIFY(DocumentSearch(context, false).contains(path));
        QVERIFY(!DocumentSearch(context + u'x', false).contains(path));
    }

    void lineBreaksAcrossChunks()
    {
        // Contexts with a line break are matched on the joined lines, read chunk by chunk: a
        // CR LF split between two chunks is one line end.
        const QString path = m_dir.filePath(QStringLiteral("lines.htm"));
        const QByteArray head(DocumentSearch::ChunkSize - 2, 'x');
        for (const QByteArray& tail :
             {QByteArray("a\r\nb"), QByteArray("a\nb"), QByteArray("a\rb")}) {
            QVERIFY(TestFiles::write(path, head + tail + QByteArray(100000, 'y')));
            QVERIFY(DocumentSearch(QStringLiteral("a\r\nb"), false).contains(path));
            QVERIFY(!DocumentSearch(QStringLiteral("a\r\n\r\nb"), false).contains(path));
        }
        QVERIFY(TestFiles::write(path, "end"));
        QVERIFY(DocumentSearch(QStringLiteral("end\r\n"), false).contains(path));
    }

    void specialFilesAndRootSpellings()
    {
        // A pipe named like a document would block a reader forever: it is checked, not read.
        const QString lib = m_dir.filePath(QStringLiteral("special"));
        QVERIFY(TestFiles::write(lib + QStringLiteral("/a.htm"), "found"));
        QCOMPARE(::mkfifo(QFile::encodeName(lib + QStringLiteral("/pipe.htm")).constData(), 0600),
                 0);
        const SearchResult result = search(lib, QStringLiteral("found"), false);
        QCOMPARE(result.checked, 2);
        QCOMPARE(result.found, 1);
        QVERIFY(!DocumentSearch(QStringLiteral("x\ny"), false)
                     .contains(lib + QStringLiteral("/pipe.htm")));
        // A root given with a trailing separator is the same root.
        QCOMPARE(search(lib + u'/', QStringLiteral("found"), false).found, 1);
        QCOMPARE(LibraryScan::deep(lib + QStringLiteral("//")).size(), size_t(2));
    }

    void missingAndUnreadableDocuments()
    {
        const QString present = m_dir.filePath(QStringLiteral("present.htm"));
        QVERIFY(TestFiles::write(present, "abc"));
        const DocumentSearch search(QStringLiteral("b"), false);
        QVERIFY(search.contains(present));
        QVERIFY(!search.contains(m_dir.filePath(QStringLiteral("gone.htm"))));
        QVERIFY(!search.contains(m_dir.path()));
    }

    void scopesAndCancel()
    {
        const QString lib = m_dir.filePath(QStringLiteral("scopes"));
        QVERIFY(TestFiles::writeTree(lib, {QStringLiteral("A/B/hit.htm"), QStringLiteral("C/x.htm"),
                                           QStringLiteral("hit.htm")}));
        // Captioned folders (the technical parts' bases) and a document checked alone.
        SearchRequest request{QStringLiteral("HIT"),
                              MatchOptions{},
                              {lib + QStringLiteral("/A"), lib + QStringLiteral("/C")},
                              {QStringLiteral("База А"), QStringLiteral("База С")},
                              {}};
        SearchResult result = SearchJob(request).run();
        QCOMPARE(flatten(result.nodes),
                 QStringLiteral("[%1/A:[%1/A/B:%1/A/B/hit.htm;];];").arg(lib));
        QCOMPARE(result.nodes[0].caption, QStringLiteral("База А"));
        QCOMPARE(result.checked, 2);
        request.document = lib + QStringLiteral("/hit.htm");
        result = SearchJob(request).run();
        QCOMPARE(result.checked, 1);
        QCOMPARE(result.found, 1);
        QVERIFY(result.nodes.empty());

        // A run stopped midway keeps nothing and stops at once.
        // Enough documents that the run cannot end before it is stopped, even on a busy machine.
        for (int i = 0; i < 12000; ++i)
            QVERIFY(TestFiles::write(lib + QStringLiteral("/many/%1.htm").arg(i), "hit"));
        SearchJob job(SearchRequest{QStringLiteral("hit"), MatchOptions{false}, {lib}, {}, {}});
        QFuture<SearchResult> running = QtConcurrent::run([&] { return job.run(); });
        while (job.checkedCount() == 0 && !running.isFinished())
            std::this_thread::yield();
        job.cancel();
        result = running.result();
        QVERIFY(result.cancelled);
        QVERIFY(result.nodes.empty());
        QCOMPARE(result.found, 0);
        QVERIFY(job.checkedCount() < 12000);
    }

    void historyAndContexts()
    {
        QStringList history;
        for (int i = 1; i <= 21; ++i)
            history = SearchHistory::added(history, QStringLiteral("контекст %1").arg(i));
        QCOMPARE(history.size(), 20);
        QCOMPARE(history.first(), QStringLiteral("контекст 21"));
        QCOMPARE(history.last(), QStringLiteral("контекст 2"));
        history = SearchHistory::added(history, QStringLiteral("контекст 10"));
        QCOMPARE(history.size(), 20);
        QCOMPARE(history.first(), QStringLiteral("контекст 10"));
        QCOMPARE(history.count(QStringLiteral("контекст 10")), 1);
        QCOMPARE(SearchHistory::added(history, QStringLiteral("   ")), history);
        history = SearchHistory::added(history, QStringLiteral(" Бетон "));
        QCOMPARE(history.first(), QStringLiteral(" Бетон "));

        const QString ini = m_dir.filePath(QStringLiteral("history.ini"));
        QVERIFY(AppSettings(ini).setSearchHistory(history.mid(0, 3)));
        QCOMPARE(AppSettings(ini).searchHistory(),
                 (QStringList{QStringLiteral("Бетон"), QStringLiteral("контекст 10"),
                              QStringLiteral("контекст 21")}));
        QVERIFY(TestFiles::read(ini).contains("FindKod_20=\n"));

        QCOMPARE(SearchJob::trimmedContext(QStringLiteral("\t  сметная стоимость \r\n")),
                 QStringLiteral("сметная стоимость"));
        QCOMPARE(SearchJob::trimmedContext(QStringLiteral("   ")), QString());
    }
};

QTEST_GUILESS_MAIN(TestSearchJob)
#include "tst_searchjob.moc"
