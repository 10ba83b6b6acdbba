#include "index/documentindex.h"
#include "index/indexbuild.h"
#include "index/indexfilter.h"
#include "index/indexlocation.h"
#include "index/indexupdater.h"
#include "library/libraryscan.h"
#include "search/searchjob.h"
#include "testsupport/indexsettle.h"
#include "testsupport/pagewriter.h"
#include "testsupport/testfiles.h"
#include "text/documenttext.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

namespace {

// The found documents' paths, in the order the search gives them.
QStringList found(const SearchResult& result)
{
    QStringList paths;
    LibraryScan::forEachDocument(result.nodes,
                                 [&paths](const ScanNode& node) { paths.append(node.path); });
    return paths;
}

SearchRequest textSearch(const QString& context, const QString& folder)
{
    SearchRequest request;
    request.context = context;
    request.folders = {folder};
    request.options.textMode = true;
    request.useIndex = true;
    return request;
}

// A database that is not an index of this version.
bool writeDatabase(const QString& file, const char* sql)
{
    sqlite3* db = nullptr;
    const bool ok = sqlite3_open(file.toUtf8().constData(), &db) == SQLITE_OK &&
                    sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

} // namespace

class TestDocumentIndex : public QObject
{
    Q_OBJECT

    QTemporaryDir m_cache;
    QTemporaryDir m_dir;
    QString m_library;
    PageWriter m_writer{7};
    QStringList m_contexts;

    SearchResult search(const QString& context, bool useIndex, bool caseSensitive = false,
                        bool wholeWords = false)
    {
        SearchRequest request;
        request.context = context;
        request.folders = {m_library};
        request.options.textMode = true;
        request.options.caseSensitive = caseSensitive;
        request.options.wholeWords = wholeWords;
        request.useIndex = useIndex;
        return SearchJob(request).run();
    }

    // Every context, with and without case and whole words: the index changes no answer.
    void compareWithScan(const char* stage)
    {
        for (const QString& context : std::as_const(m_contexts)) {
            for (int options = 0; options < 4; ++options) {
                const SearchResult scanned = search(context, false, options & 1, options & 2);
                const SearchResult indexed = search(context, true, options & 1, options & 2);
                QVERIFY2(found(indexed) == found(scanned),
                         qPrintable(QStringLiteral("%1: \"%2\" options %3")
                                        .arg(QString::fromLatin1(stage), context)
                                        .arg(options)));
                QCOMPARE(indexed.checked, scanned.checked);
            }
        }
    }

    QString writePage(const QString& relative, int encoding, qsizetype length = 3000)
    {
        const QString path = m_library + u'/' + relative;
        QDir().mkpath(QFileInfo(path).path());
        const QString page = m_writer.page(length);
        return TestFiles::write(path, encoded(page, encoding)) ? path : QString();
    }

private slots:
    void initTestCase()
    {
        qputenv("XDG_CACHE_HOME", m_cache.path().toUtf8());
        m_library = m_dir.path() + QStringLiteral("/Библиотека");
        for (int i = 0; i < 40; ++i)
            QVERIFY(!writePage(QStringLiteral("Раздел %1/Документ %2.htm").arg(i % 5).arg(i), i % 4,
                               500 + 300 * (i % 7))
                         .isEmpty());
        waitForStampsToSettle();
        // Contexts drawn from the text: rare, common, across tags, references and line breaks.
        m_contexts = {QStringLiteral("сметная стоимость"),
                      QStringLiteral("Сметная"),
                      QStringLiteral("СНиП"),
                      QStringLiteral("Ёлка"),
                      QStringLiteral("елка"),
                      QStringLiteral("R&D"),
                      QStringLiteral("a<b"),
                      QStringLiteral("МРОТы"),
                      QStringLiteral("x&y"),
                      QStringLiteral("стоимость\r\nСНиП"),
                      QStringLiteral("12,5 Portland"),
                      QStringLiteral("коэффициент « МРОТ"),
                      QStringLiteral("№"),
                      QStringLiteral("нигде нет"),
                      QStringLiteral("«МРОТ")};
        const QString text =
            DocumentText(TestFiles::read(m_library + QStringLiteral("/Раздел 1/Документ 1.htm")))
                .text();
        for (int at = 10; at + 24 < text.size(); at += text.size() / 5)
            m_contexts.append(text.mid(at, 7 + at % 17));
    }

    // Built, then changed behind its back, then brought up to date, then damaged: at every
    // stage the indexed answer is the scan's.
    void answersAsTheScanDoes()
    {
        const IndexBuild::Report built = IndexBuild::updateOwn(m_library);
        QCOMPARE(built.outcome, IndexBuild::Outcome::Done);
        QCOMPARE(built.summary.documents, 40);
        QVERIFY(built.textBytes > 0);
        QCOMPARE(search(QStringLiteral("сметная стоимость"), true).indexedFolders,
                 QStringList{m_library});
        compareWithScan("built");

        // Changed (another text of the same size too), added, renamed, removed.
        const QString changed = m_library + QStringLiteral("/Раздел 2/Документ 2.htm");
        QByteArray bytes = TestFiles::read(changed);
        bytes.replace("Portland", "Нигдеnnn");
        QVERIFY(TestFiles::write(changed, bytes));
        QVERIFY(TestFiles::write(m_library + QStringLiteral("/Раздел 3/Новый.htm"),
                                 TestFiles::cp1251(QStringLiteral("<p>нигде нет, кроме "
                                                                  "<b>здесь</b></p>"))));
        QVERIFY(QFile::rename(m_library + QStringLiteral("/Раздел 4/Документ 4.htm"),
                              m_library + QStringLiteral("/Раздел 4/Переименован.htm")));
        QVERIFY(QFile::remove(m_library + QStringLiteral("/Раздел 0/Документ 0.htm")));
        m_contexts.append(QStringLiteral("Нигдеnnn"));
        compareWithScan("changed");

        const IndexBuild::Report again = IndexBuild::updateOwn(m_library);
        QCOMPARE(again.outcome, IndexBuild::Outcome::Done);
        QCOMPARE(again.summary.read, 3); // changed, added, renamed
        QCOMPARE(again.summary.removed, 2);
        QCOMPARE(again.summary.documents, 40);
        compareWithScan("updated");

        // A damaged file: the scan answers, and the next update makes it anew.
        const QString file = IndexLocation::cacheFile(m_library);
        QFile damaged(file);
        QVERIFY(damaged.open(QIODevice::ReadWrite));
        damaged.seek(0);
        damaged.write(QByteArray(4096, 'x'));
        damaged.close();
        QCOMPARE(search(QStringLiteral("сметная стоимость"), true).unindexedFolders,
                 QStringList{m_library});
        compareWithScan("damaged");
        const IndexBuild::Report rebuilt = IndexBuild::updateOwn(m_library);
        QCOMPARE(rebuilt.outcome, IndexBuild::Outcome::Done);
        QVERIFY(rebuilt.replaced);
        QCOMPARE(rebuilt.summary.documents, 40);
        compareWithScan("rebuilt");
    }

    // What may go wrong with an index file or its folder: the search still answers right,
    // and the index is made anew where it can be.
    void faults()
    {
        QTemporaryDir dir;
        const QString library = dir.path() + QStringLiteral("/lib");
        QVERIFY(TestFiles::write(library + QStringLiteral("/a.htm"),
                                 TestFiles::cp1251(QStringLiteral("<p>ксилолит</p>"))));
        QVERIFY(TestFiles::write(library + QStringLiteral("/b.htm"),
                                 TestFiles::cp1251(QStringLiteral("<p>ларсен</p>"))));
        const auto answer = [&library] {
            const SearchResult result =
                SearchJob(textSearch(QStringLiteral("ксилолит"), library)).run();
            return found(result) == QStringList{library + QStringLiteral("/a.htm")};
        };
        const QString file = IndexLocation::cacheFile(library);

        // No index yet: the scan answers.
        QCOMPARE(IndexFilter(library, QStringLiteral("ксилолит")).state(),
                 IndexFilter::State::Missing);
        QVERIFY(answer());

        // A foreign database and one of another version are replaced.
        QVERIFY(QDir().mkpath(IndexLocation::cacheFolder()));
        for (const char* sql : {"CREATE TABLE other(x);", "CREATE TABLE meta(key, value);"
                                                          "INSERT INTO meta VALUES('format', "
                                                          "'lectoria-0');"}) {
            QFile::remove(file);
            QVERIFY(writeDatabase(file, sql));
            QCOMPARE(IndexFilter(library, QStringLiteral("ксилолит")).state(),
                     IndexFilter::State::Unusable);
            QVERIFY(answer());
            const IndexBuild::Report report = IndexBuild::updateOwn(library);
            QCOMPARE(report.outcome, IndexBuild::Outcome::Done);
            QVERIFY(report.replaced);
            QCOMPARE(IndexFilter(library, QStringLiteral("ксилолит")).state(),
                     IndexFilter::State::Used);
        }

        // Two builders at once: the second leaves it to the first.
        {
            QLockFile other(file + QStringLiteral(".lock"));
            QVERIFY(other.tryLock(0));
            QCOMPARE(IndexBuild::updateOwn(library).outcome, IndexBuild::Outcome::Busy);
        }

        // A build stopped midway keeps what it wrote and completes at the next update.
        QFile::remove(file);
        for (int i = 0; i < 300; ++i)
            QVERIFY(TestFiles::write(library + QStringLiteral("/more/%1.htm").arg(i),
                                     TestFiles::cp1251(QStringLiteral("<p>текст %1</p>").arg(i))));
        waitForStampsToSettle();
        std::atomic<bool> stop{false};
        const IndexBuild::Report stopped = IndexBuild::updateOwn(
            library, [&stop](int done, int) { stop.store(done >= 64); }, &stop);
        QCOMPARE(stopped.outcome, IndexBuild::Outcome::Stopped);
        QVERIFY(answer());
        const IndexBuild::Report resumed = IndexBuild::updateOwn(library);
        QCOMPARE(resumed.outcome, IndexBuild::Outcome::Done);
        QCOMPARE(resumed.summary.documents, 302);
        QVERIFY(resumed.summary.read < 302);

        // A cache folder that cannot be made: nothing is written, the scan answers.
        const QByteArray before = qgetenv("XDG_CACHE_HOME");
        QVERIFY(TestFiles::write(dir.path() + QStringLiteral("/file"), "x"));
        qputenv("XDG_CACHE_HOME", (dir.path() + QStringLiteral("/file/cache")).toUtf8());
        const IndexBuild::Report unwritable = IndexBuild::updateOwn(library);
        QCOMPARE(unwritable.outcome, IndexBuild::Outcome::Failed);
        QVERIFY(!unwritable.errorText.isEmpty());
        QVERIFY(answer());
        // A relative XDG_CACHE_HOME is ignored, as the XDG rules say.
        qputenv("XDG_CACHE_HOME", "relative/cache");
        QVERIFY(QDir::isAbsolutePath(IndexLocation::cacheFolder()));
        qputenv("XDG_CACHE_HOME", before);
    }

    // Whether this process holds the file open.
    static bool isOpenHere(const QString& file)
    {
        const QString target = QFileInfo(file).canonicalFilePath();
        const QDir descriptors(QStringLiteral("/proc/self/fd"));
        for (const QFileInfo& descriptor : descriptors.entryInfoList(QDir::Files | QDir::System)) {
            if (descriptor.symLinkTarget() == target)
                return true;
        }
        return false;
    }

    // A shared index: new generations named by the pointer, read-only readers, and its
    // folder never listed nor searched.
    void sharedIndex()
    {
        QTemporaryDir dir;
        const QString library = dir.path() + QStringLiteral("/общая");
        QVERIFY(TestFiles::write(library + QStringLiteral("/a.htm"),
                                 TestFiles::cp1251(QStringLiteral("<p>ксилолит</p>"))));
        waitForStampsToSettle();
        IndexBuild::Report report = IndexBuild::updateShared(library);
        QCOMPARE(report.outcome, IndexBuild::Outcome::Done);
        QCOMPARE(IndexLocation::sharedFile(library),
                 library + QStringLiteral("/.lectoria/index-1.sqlite"));
        QVERIFY(!QFileInfo::exists(IndexLocation::cacheFile(library)));
        QCOMPARE(IndexFilter::indexFileFor(library), IndexLocation::sharedFile(library));

        QVERIFY(TestFiles::write(library + QStringLiteral("/b.htm"),
                                 TestFiles::cp1251(QStringLiteral("<p>ксилолит</p>"))));
        // A document in the index folder is no document of the library.
        QVERIFY(TestFiles::write(library + QStringLiteral("/.lectoria/c.htm"),
                                 TestFiles::cp1251(QStringLiteral("<p>ксилолит</p>"))));
        const SearchRequest request = textSearch(QStringLiteral("ксилолит"), library);
        SearchResult result = SearchJob(request).run();
        QCOMPARE(result.indexedFolders, QStringList{library});
        QCOMPARE(found(result), QStringList({library + QStringLiteral("/a.htm"),
                                             library + QStringLiteral("/b.htm")}));
        QCOMPARE(result.checked, 2);
        // A search keeps no connection to a shared index: its file stays free for the one who
        // puts a new generation in place.
        QVERIFY(!isOpenHere(IndexLocation::sharedFile(library)));

        report = IndexBuild::updateShared(library);
        QCOMPARE(report.outcome, IndexBuild::Outcome::Done);
        QCOMPARE(report.summary.read, 1);
        QCOMPARE(IndexLocation::sharedFile(library),
                 library + QStringLiteral("/.lectoria/index-2.sqlite"));
        QVERIFY(!QFileInfo::exists(library + QStringLiteral("/.lectoria/index-2.sqlite-wal")));
        QCOMPARE(found(SearchJob(request).run()).size(), 2);
    }
};

QTEST_GUILESS_MAIN(TestDocumentIndex)
#include "tst_documentindex.moc"
