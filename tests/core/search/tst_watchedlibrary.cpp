#include "index/indexbuild.h"
#include "library/libraryscan.h"
#include "library/librarysnapshot.h"
#include "platform/platform.h"
#include "search/searchjob.h"
#include "testsupport/indexsettle.h"
#include "testsupport/testfiles.h"
#include "testsupport/watchabledir.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

// A library the window follows with a watch: a search replays the walk kept, lists anew only
// the folders reported changed, and answers as a walk of the library would.
class TestWatchedLibrary : public QObject
{
    Q_OBJECT

    QTemporaryDir m_cache;
    QTemporaryDir m_dir{watchableTemplate()};
    QString m_lib;
    int m_documents = 0;

    static bool writeWord(const QString& path, const QString& word)
    {
        return TestFiles::write(
            path, TestFiles::cp1251(QStringLiteral("<p>Слово: ") + word + QStringLiteral(".</p>")));
    }

    // Writes into the file as it is (the same inode): what an editor saving in place does.
    static bool writeWordInPlace(const QString& path, const QString& word)
    {
        QFile file(path);
        return file.open(QIODevice::ReadWrite | QIODevice::Truncate) &&
               file.write(TestFiles::cp1251(QStringLiteral("<p>Слово: ") + word +
                                            QStringLiteral(".</p>"))) > 0;
    }

    static QString shape(const std::vector<ScanNode>& nodes)
    {
        QString text;
        for (const ScanNode& node : nodes) {
            text += (node.isFolder ? QStringLiteral("[") : QStringLiteral("(")) + node.caption +
                    u'|' + node.path;
            if (node.isFolder)
                text += u'{' + shape(node.children) + QStringLiteral("}]");
            else
                text += u')';
        }
        return text;
    }

    struct Answer
    {
        QString found;
        int checked = 0;
        quint64 stamps = 0;   // taken by the search
        quint64 listings = 0; // folders it listed
        bool operator==(const Answer&) const = default;
    };
    Answer answer(const QString& context, bool useIndex,
                  const std::shared_ptr<const LibrarySnapshot>& snapshot = {},
                  const QStringList& changed = {}) const
    {
        SearchRequest request;
        request.context = context;
        request.folders = {m_lib};
        request.options = MatchOptions{false, false, true, false};
        request.useIndex = useIndex;
        if (snapshot)
            request.knownLibraries.insert(m_lib, KnownLibrary{snapshot, changed});
        const quint64 before = Platform::stampsTaken();
        const quint64 listedBefore = Platform::folderListings();
        const SearchResult result = SearchJob(request).run();
        Answer out;
        out.stamps = Platform::stampsTaken() - before;
        out.listings = Platform::folderListings() - listedBefore;
        out.checked = result.checked;
        QStringList paths;
        LibraryScan::forEachDocument(result.nodes,
                                     [&paths](const ScanNode& node) { paths.append(node.path); });
        out.found = paths.join(u'|') + QStringLiteral(" unreadable %1").arg(result.unreadable);
        return out;
    }

private slots:
    void initTestCase()
    {
        if (watchableTemplate().isEmpty())
            QSKIP("no folder here can be watched");
        qputenv("XDG_CACHE_HOME", m_cache.path().toUtf8());
        m_lib = m_dir.path() + QStringLiteral("/lib");
        for (const QString& folder : {QStringLiteral("/СНиП"), QStringLiteral("/СНиП/Том 2"),
                                      QStringLiteral("/ГЭСН"), QString()}) {
            for (int i = 0; i < 6; ++i, ++m_documents) {
                QVERIFY(writeWord(m_lib + folder + QStringLiteral("/d%1.htm").arg(i),
                                  i == 2 ? QStringLiteral("ксилолит") : QStringLiteral("бетон")));
                QVERIFY(TestFiles::write(
                    m_lib + folder + QStringLiteral("/d%1.files/image001.png").arg(i), "png"));
            }
        }
        // A link to a document, a document of two names (one outside the library), and a
        // folder named like a document: each as a walk gives it.
        QVERIFY(QFile::link(m_lib + QStringLiteral("/ГЭСН/d1.htm"),
                            m_lib + QStringLiteral("/link.htm")));
        QVERIFY(writeWord(m_dir.path() + QStringLiteral("/outside.htm"), QStringLiteral("бетон")));
        QCOMPARE(
            ::link(QFile::encodeName(m_dir.path() + QStringLiteral("/outside.htm")).constData(),
                   QFile::encodeName(m_lib + QStringLiteral("/ГЭСН/twice.htm")).constData()),
            0);
        QVERIFY(QDir().mkpath(m_lib + QStringLiteral("/Папка.htm")));
        m_documents += 3;
        waitForStampsToSettle();
        QCOMPARE(IndexBuild::updateOwn(m_lib).outcome, IndexBuild::Outcome::Done);
    }

    // The walk kept gives what a walk gives: the same nodes, documents in the same order.
    void replayIsTheWalk()
    {
        const auto snapshot = LibrarySnapshot::take(m_lib);
        QVERIFY(snapshot);
        QCOMPARE(snapshot->documentCount(), m_documents);
        QStringList walked;
        QStringList replayed;
        int walkUnreadable = 0;
        int replayUnreadable = 0;
        const std::vector<ScanNode> walk = LibraryScan::deep(
            m_lib, [&](const ScannedDocument& document) { walked.append(document.path()); },
            nullptr, &walkUnreadable);
        std::vector<ScanNode> nodes;
        QVERIFY(snapshot->replay(
            {}, [&](const ScannedDocument& document) { replayed.append(document.path()); }, &nodes,
            &replayUnreadable));
        QCOMPARE(replayed, walked);
        QCOMPARE(shape(nodes), shape(walk));
        QCOMPARE(replayUnreadable, walkUnreadable);

        // Documents a search leaves out get no node there either.
        const auto leaveOutEvery = [](int* met) {
            return [met](ScannedDocument& document) {
                if ((*met)++ % 2)
                    document.leaveOutOfTree();
            };
        };
        int walkMet = 0;
        int replayMet = 0;
        const std::vector<ScanNode> leanWalk =
            LibraryScan::deep(m_lib, leaveOutEvery(&walkMet), nullptr, nullptr);
        std::vector<ScanNode> leanNodes;
        QVERIFY(snapshot->replay({}, leaveOutEvery(&replayMet), &leanNodes, nullptr));
        QCOMPARE(shape(leanNodes), shape(leanWalk));
        QVERIFY(shape(leanNodes).size() < shape(nodes).size());
    }

    // A search of the library kept lists no folder, only those reported changed after a
    // change it was told of; it still takes every document's stamp. Its answer is the walk's,
    // with the index and without it.
    void searchesLookOnlyAtWhatChanged()
    {
        std::shared_ptr<LibrarySnapshot> snapshot = LibrarySnapshot::take(m_lib);
        QVERIFY(snapshot);
        const QString context = QStringLiteral("ксилолит");
        const Answer walked = answer(context, true);
        // None of the folder, one of the index's own file.
        QCOMPARE(walked.stamps, quint64(m_documents - 1 + 1));
        QCOMPARE(walked.listings, quint64(5));
        Answer kept = answer(context, true, snapshot);
        QCOMPARE(kept.found, walked.found);
        QCOMPARE(kept.checked, walked.checked);
        QCOMPARE(kept.stamps, walked.stamps);
        QCOMPARE(kept.listings, quint64(0));

        // A document written, one added, one removed: in one folder.
        const QString folder = m_lib + QStringLiteral("/СНиП/Том 2");
        QVERIFY(writeWord(folder + QStringLiteral("/d4.htm"), context));
        QVERIFY(writeWord(folder + QStringLiteral("/new.htm"), context));
        QVERIFY(QFile::remove(folder + QStringLiteral("/d0.htm")));
        const Platform::FolderWatch::Changes changes = snapshot->takeChanges();
        QVERIFY(!changes.structure);
        QCOMPARE(changes.folders, QStringList{folder});
        kept = answer(context, true, snapshot, changes.folders);
        QCOMPARE(kept.found, answer(context, false).found);
        QCOMPARE(kept.found, answer(context, true).found);
        QVERIFY(kept.found.contains(QStringLiteral("new.htm")));
        QCOMPARE(kept.stamps, walked.stamps);
        QCOMPARE(kept.listings, quint64(1));

        // A document given another name outside the library after the walk was kept, and
        // written through it: no folder of the library is told (nor was the new name), and the
        // stamp taken anew still sees it.
        snapshot = LibrarySnapshot::take(m_lib);
        QVERIFY(snapshot);
        const QString other = m_dir.path() + QStringLiteral("/other.htm");
        QCOMPARE(::link(QFile::encodeName(folder + QStringLiteral("/d3.htm")).constData(),
                        QFile::encodeName(other).constData()),
                 0);
        QVERIFY(writeWordInPlace(other, context));
        const Platform::FolderWatch::Changes unseen = snapshot->takeChanges();
        kept = answer(context, true, snapshot, unseen.folders);
        QVERIFY(kept.found.contains(QStringLiteral("/d3.htm")));
        QCOMPARE(kept.found, answer(context, false).found);
        QVERIFY(QFile::remove(other));

        // A folder added: the walk kept no longer tells the library's folders.
        QVERIFY(QDir().mkpath(folder + QStringLiteral("/Приложения")));
        QVERIFY(snapshot->takeChanges().structure);
        std::vector<ScanNode> nodes;
        QVERIFY(!snapshot->replay({folder}, {}, &nodes, nullptr));
        QVERIFY(nodes.empty());
        // A search given it walks, and proves the index's answer as a walk does.
        kept = answer(context, true, snapshot, {folder});
        QCOMPARE(kept.found, answer(context, false).found);
        // The folder listed anew before the new folder is seen, then the walk (one document
        // added, one removed; none stamped of the folder named like a document; one of the
        // index's own file).
        QCOMPARE(kept.stamps, quint64(6 + m_documents - 1 + 1));
        QCOMPARE(kept.listings, quint64(1 + 6));
        QVERIFY(QDir(folder + QStringLiteral("/Приложения")).removeRecursively());
        QVERIFY(writeWord(folder + QStringLiteral("/d0.htm"), QStringLiteral("бетон")));
        QVERIFY(QFile::remove(folder + QStringLiteral("/new.htm")));
    }

    // A folder replaced where the watch is not told of it (as a file system mounted over it
    // would be) means a walk: the walk kept gives nothing, wherever the folder lies. One that
    // can no longer be listed is unreadable, as a walk finds it.
    void aFolderReplacedUnseenMeansAWalk()
    {
        QTemporaryDir dir(watchableTemplate());
        const QString lib = dir.path() + QStringLiteral("/lib");
        for (int i = 0; i < 40; ++i)
            QVERIFY(
                writeWord(lib + QStringLiteral("/f%1/g/d.htm").arg(i), QStringLiteral("бетон")));
        for (const int replaced : {0, 20, 39}) {
            const auto snapshot = LibrarySnapshot::take(lib);
            QVERIFY(snapshot);
            const QString folder = lib + QStringLiteral("/f%1/g").arg(replaced);
            QVERIFY(QDir().rename(folder, dir.path() + QStringLiteral("/away")));
            QVERIFY(writeWord(folder + QStringLiteral("/d.htm"), QStringLiteral("бетон")));
            int given = 0;
            std::vector<ScanNode> nodes;
            QVERIFY(!snapshot->replay(
                {}, [&given](const ScannedDocument&) { ++given; }, &nodes, nullptr));
            QCOMPARE(given, 0);
            QVERIFY(nodes.empty());
            QVERIFY(QDir(dir.path() + QStringLiteral("/away")).removeRecursively());
        }
        // A folder that can no longer be listed (its rights taken away) is unreadable, with
        // nothing in it, as a walk finds it.
        if (Platform::isAdministrator())
            return; // the administrator lists it still
        const auto snapshot = LibrarySnapshot::take(lib);
        QVERIFY(snapshot);
        const QString shut = lib + QStringLiteral("/f7/g");
        QVERIFY(QFile::setPermissions(shut, QFileDevice::Permissions()));
        QStringList replayed;
        int replayUnreadable = 0;
        std::vector<ScanNode> nodes;
        const bool kept = snapshot->replay(
            {}, [&replayed](const ScannedDocument& document) { replayed.append(document.path()); },
            &nodes, &replayUnreadable);
        QStringList walked;
        int walkUnreadable = 0;
        const std::vector<ScanNode> walk = LibraryScan::deep(
            lib, [&walked](const ScannedDocument& document) { walked.append(document.path()); },
            nullptr, &walkUnreadable);
        QVERIFY(QFile::setPermissions(shut, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                QFileDevice::ExeOwner));
        QVERIFY(kept);
        QCOMPARE(replayed, walked);
        QCOMPARE(replayed.size(), 39);
        QCOMPARE(replayUnreadable, walkUnreadable);
        QCOMPARE(replayUnreadable, 1);
        QCOMPARE(shape(nodes), shape(walk));
    }

    // A library the watch cannot follow whole (a folder reached through a link) is not kept:
    // its searches walk.
    void folderLinksAreNotFollowed()
    {
        QTemporaryDir dir(watchableTemplate());
        const QString lib = dir.path() + QStringLiteral("/lib");
        QVERIFY(writeWord(lib + QStringLiteral("/a/d.htm"), QStringLiteral("бетон")));
        QVERIFY(LibrarySnapshot::take(lib));
        QVERIFY(QFile::link(lib + QStringLiteral("/a"), lib + QStringLiteral("/b")));
        QVERIFY(!LibrarySnapshot::take(lib));
        QVERIFY(!LibrarySnapshot::take(dir.path() + QStringLiteral("/none")));
    }
};

QTEST_GUILESS_MAIN(TestWatchedLibrary)
#include "tst_watchedlibrary.moc"
