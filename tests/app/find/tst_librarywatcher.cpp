#include "find/librarywatcher.h"
#include "index/indexbuild.h"
#include "platform/platform.h"
#include "search/searchjob.h"
#include "testsupport/indexsettle.h"
#include "testsupport/testfiles.h"
#include "testsupport/watchabledir.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

// The window keeps the walk of the collection while a watch follows it: a search after a
// change it was told of lists no folder but those changed, and its answer is the walk's.
class TestLibraryWatcher : public QObject
{
    Q_OBJECT

    struct Answer
    {
        int found = 0;
        int checked = 0;
        quint64 listings = 0;
    };
    static Answer search(const QString& library, const QHash<QString, KnownLibrary>& known,
                         bool useIndex = true)
    {
        SearchRequest request;
        request.context = QStringLiteral("ксилолит");
        request.folders = {library};
        request.options = MatchOptions{false, false, true, false};
        request.useIndex = useIndex;
        request.knownLibraries = known;
        const quint64 before = Platform::folderListings();
        const SearchResult result = SearchJob(request).run();
        return Answer{result.found, result.checked, Platform::folderListings() - before};
    }
    static bool writeWord(const QString& path, const QString& word)
    {
        return TestFiles::write(
            path, TestFiles::cp1251(QStringLiteral("<p>Слово: ") + word + QStringLiteral(".</p>")));
    }

private slots:
    void searchesAfterChanges()
    {
        if (watchableTemplate().isEmpty())
            QSKIP("no folder here can be watched");
        QTemporaryDir dir(watchableTemplate());
        qputenv("XDG_CACHE_HOME", dir.filePath(QStringLiteral("cache")).toUtf8());
        const QString library = dir.filePath(QStringLiteral("library"));
        for (int i = 0; i < 40; ++i)
            QVERIFY(
                writeWord(library + QStringLiteral("/Папка %1/Документ %2.htm").arg(i % 4).arg(i),
                          i == 7 ? QStringLiteral("ксилолит") : QStringLiteral("бетон")));
        waitForStampsToSettle();
        QCOMPARE(IndexBuild::updateOwn(library).outcome, IndexBuild::Outcome::Done);

        LibraryWatcher watcher;
        QSignalSpy ready(&watcher, &LibraryWatcher::ready);
        watcher.follow({library});
        QVERIFY(ready.wait(20000));
        QVERIFY(watcher.isFollowing(library));
        Answer answer = search(library, watcher.knownLibraries({library}));
        QCOMPARE(answer.found, 1);
        QCOMPARE(answer.checked, 40);
        QCOMPARE(answer.listings, quint64(0)); // nothing walked

        // A change told: only its folder is listed anew, at once.
        const QString folder = library + QStringLiteral("/Папка 2");
        QVERIFY(writeWord(folder + QStringLiteral("/Документ 2.htm"), QStringLiteral("ксилолит")));
        answer = search(library, watcher.knownLibraries({library}));
        QCOMPARE(answer.found, 2);
        QCOMPARE(answer.listings, quint64(1));
        QCOMPARE(answer.found, search(library, {}, false).found);

        // A folder added: searches walk until the walk is made anew, then walk nothing again.
        QVERIFY(
            writeWord(library + QStringLiteral("/Новая/Документ.htm"), QStringLiteral("ксилолит")));
        const QHash<QString, KnownLibrary> walked = watcher.knownLibraries({library});
        QVERIFY(walked.isEmpty());
        QVERIFY(!watcher.isFollowing(library));
        QCOMPARE(search(library, walked).found, 3);
        QTRY_VERIFY_WITH_TIMEOUT(watcher.isFollowing(library), 20000);
        answer = search(library, watcher.knownLibraries({library}));
        QCOMPARE(answer.found, 3);
        QCOMPARE(answer.checked, 41);
        QCOMPARE(answer.listings, quint64(0));

        // A folder the watch cannot follow (reached through a link): every search walks.
        QVERIFY(QFile::link(folder, library + QStringLiteral("/Ссылка")));
        watcher.knownLibraries({library});
        QTRY_VERIFY_WITH_TIMEOUT(!watcher.isFollowing(library), 20000);
        QVERIFY(watcher.knownLibraries({library}).isEmpty());
        QCOMPARE(search(library, {}).found, search(library, {}, false).found);
    }
};

QTEST_MAIN(TestLibraryWatcher)
#include "tst_librarywatcher.moc"
