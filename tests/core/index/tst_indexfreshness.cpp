#include "index/documentindex.h"
#include "index/indexbuild.h"
#include "index/indexfilter.h"
#include "index/indexlocation.h"
#include "index/indexupdater.h"
#include "index/keptindex.h"
#include "index/soundnessrecord.h"
#include "index/stamptable.h"
#include "library/libraryscan.h"
#include "matching/wordsearch.h"
#include "platform/platform.h"
#include "search/searchjob.h"
#include "testsupport/indexsettle.h"
#include "testsupport/testfiles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <array>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <new>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

// Whatever happens to the library after it was indexed, the indexed answer is the scan's.
class TestIndexFreshness : public QObject
{
    Q_OBJECT

    QTemporaryDir m_cache;

    // The found documents and the count of those that could not be read.
    static QString answer(const QString& library, const QString& context, bool words, bool useIndex)
    {
        SearchRequest request;
        request.context = context;
        request.folders = {library};
        request.options = MatchOptions{false, false, true, words};
        request.useIndex = useIndex;
        const SearchResult result = SearchJob(request).run();
        QStringList paths;
        LibraryScan::forEachDocument(result.nodes,
                                     [&paths](const ScanNode& node) { paths.append(node.path); });
        return paths.join(u'|') + QStringLiteral(" unreadable %1").arg(result.unreadable);
    }

    // Text mode and word forms, each context: the indexed answer is the scan's.
    static bool sameAsScan(const QString& library, const QStringList& contexts, const char* stage)
    {
        for (const QString& context : contexts) {
            for (const bool words : {false, true}) {
                const QString scanned = answer(library, context, words, false);
                const QString indexed = answer(library, context, words, true);
                if (indexed != scanned) {
                    qWarning().noquote() << stage << context << (words ? "words" : "text")
                                         << "\n  index:" << indexed << "\n  scan: " << scanned;
                    return false;
                }
            }
        }
        return true;
    }

    static bool writeWord(const QString& path, const QString& word)
    {
        return TestFiles::write(
            path, TestFiles::cp1251(QStringLiteral("<p>Слово: ") + word + QStringLiteral(".</p>")));
    }

    // documents pages d0.htm, d1.htm, ... in library: the one numbered holder holds
    // "ксилолит", the rest "бетон".
    static bool writeLibrary(const QString& library, int documents, int holder)
    {
        for (int i = 0; i < documents; ++i) {
            if (!writeWord(library + QStringLiteral("/d%1.htm").arg(i),
                           i == holder ? QStringLiteral("ксилолит") : QStringLiteral("бетон")))
                return false;
        }
        return true;
    }

    // The access and write times of a file to the nanosecond, as touch -r and cp -p keep them.
    using Times = std::array<struct timespec, 2>;
    static Times timesOf(const QString& path)
    {
        struct stat info = {};
        ::stat(QFile::encodeName(path).constData(), &info);
        return Times{info.st_atim, info.st_mtim};
    }
    static bool setTimes(const QString& path, const Times& times)
    {
        return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times.data(), 0) == 0;
    }

    static bool build(const QString& library)
    {
        return IndexBuild::updateOwn(library).outcome == IndexBuild::Outcome::Done;
    }

private slots:
    void initTestCase() { qputenv("XDG_CACHE_HOME", m_cache.path().toUtf8()); }

    // An index whose first build has not ended is not asked: the scan answers (a search
    // never waits for a build); once a build has ended, the index answers.
    void firstBuildNotEndedIsNotAsked()
    {
        QTemporaryDir dir;
        const QString lib = dir.path() + QStringLiteral("/lib");
        QVERIFY(writeLibrary(lib, 200, 150));
        waitForStampsToSettle();
        std::atomic<bool> stop{false};
        const IndexBuild::Report stopped = IndexBuild::updateOwn(
            lib, [&stop](int done, int) { stop = stop || done >= 64; }, &stop);
        QCOMPARE(stopped.outcome, IndexBuild::Outcome::Stopped);
        QVERIFY(stopped.summary.documents > 0 && stopped.summary.documents < 200);
        SearchRequest request;
        request.context = QStringLiteral("ксилолит");
        request.folders = {lib};
        request.options = MatchOptions{false, false, true, false};
        request.useIndex = true;
        SearchResult result = SearchJob(request).run();
        QCOMPARE(result.found, 1);
        QCOMPARE(result.unindexedFolders, QStringList{lib});
        QVERIFY(result.indexedFolders.isEmpty());
        QCOMPARE(IndexBuild::updateOwn(lib).outcome, IndexBuild::Outcome::Done);
        result = SearchJob(request).run();
        QCOMPARE(result.found, 1);
        QCOMPARE(result.indexedFolders, QStringList{lib});
    }

    // Same-size changes that keep the time of writing: each gives another stamp.
    void sameSizeChangesAreSeen()
    {
        QTemporaryDir dir;
        const QString lib = dir.path() + QStringLiteral("/lib");
        const QString a = lib + QStringLiteral("/a.htm");
        const QString b = lib + QStringLiteral("/b.htm");
        const QString x = lib + QStringLiteral("/X/d.htm");
        const QString y = lib + QStringLiteral("/Y/d.htm");
        QVERIFY(QDir().mkpath(lib + QStringLiteral("/X")) &&
                QDir().mkpath(lib + QStringLiteral("/Y")));
        QVERIFY(writeWord(a, QStringLiteral("альфа")) && writeWord(b, QStringLiteral("бетон")));
        QVERIFY(writeWord(x, QStringLiteral("гамма")) && writeWord(y, QStringLiteral("дельт")));
        const QStringList contexts{QStringLiteral("альфа"), QStringLiteral("бетон"),
                                   QStringLiteral("гамма"), QStringLiteral("дельт"),
                                   QStringLiteral("омега")};
        waitForStampsToSettle();
        QVERIFY(build(lib));
        QVERIFY(sameAsScan(lib, contexts, "built"));

        // An edit of the same size, its time of writing set back (touch -r).
        const Times written = timesOf(a);
        QVERIFY(writeWord(a, QStringLiteral("омега")));
        QVERIFY(setTimes(a, written));
        QVERIFY(sameAsScan(lib, contexts, "same-size edit"));
        // Another document copied over it with its times (cp -p).
        QVERIFY(QFile::remove(a) && QFile::copy(b, a) && setTimes(a, timesOf(b)));
        QVERIFY(sameAsScan(lib, contexts, "copy with times"));
        // Two names swapped, two folders swapped.
        const QString aside = lib + QStringLiteral("/aside");
        QVERIFY(QFile::rename(a, aside) && QFile::rename(b, a) && QFile::rename(aside, b));
        QVERIFY(QDir(lib).rename(QStringLiteral("X"), QStringLiteral("Z")) &&
                QDir(lib).rename(QStringLiteral("Y"), QStringLiteral("X")) &&
                QDir(lib).rename(QStringLiteral("Z"), QStringLiteral("Y")));
        QVERIFY(sameAsScan(lib, contexts, "names swapped"));
        // A document replaced by a link to another of the same size, then the link pointed
        // elsewhere.
        QVERIFY(QFile::remove(a) && QFile::link(x, a));
        QVERIFY(sameAsScan(lib, contexts, "link"));
        QVERIFY(QFile::remove(a) && QFile::link(y, a));
        QVERIFY(sameAsScan(lib, contexts, "link swapped"));

        // The next update reads what changed, and the answers stay the scan's.
        const IndexBuild::Report updated = IndexBuild::updateOwn(lib);
        QCOMPARE(updated.outcome, IndexBuild::Outcome::Done);
        QVERIFY(updated.summary.read >= 3);
        QVERIFY(sameAsScan(lib, contexts, "updated"));
    }

    // A document read within the clock's tick of its last change is read by every search
    // and by the next update, until it has been read well after that change.
    void freshDocumentsAreNotTrusted()
    {
        QTemporaryDir dir;
        const QString lib = dir.path() + QStringLiteral("/lib");
        const QString page = lib + QStringLiteral("/fresh.htm");
        QVERIFY(QDir().mkpath(lib));
        QVERIFY(writeWord(page, QStringLiteral("альфа")));
        // Times of whole seconds, as a coarse file system keeps them.
        Times whole = timesOf(page);
        whole[0].tv_nsec = whole[1].tv_nsec = 0;
        QVERIFY(setTimes(page, whole));
        QVERIFY(build(lib));
        QVERIFY(IndexFilter(lib, QStringLiteral("нигде нет")).mustRead(page));
        // Changed in the same second, the same size: still found by its new text.
        QVERIFY(writeWord(page, QStringLiteral("омега")));
        QVERIFY(setTimes(page, whole));
        QVERIFY(sameAsScan(lib, {QStringLiteral("альфа"), QStringLiteral("омега")}, "same tick"));
        QCOMPARE(IndexBuild::updateOwn(lib).summary.read, 1);

        waitForStampsToSettle();
        QCOMPARE(IndexBuild::updateOwn(lib).summary.read, 1);
        QVERIFY(!IndexFilter(lib, QStringLiteral("нигде нет")).mustRead(page));
        QCOMPARE(IndexBuild::updateOwn(lib).summary.read, 0);
        QVERIFY(sameAsScan(lib, {QStringLiteral("альфа"), QStringLiteral("омега")}, "settled"));
    }

    // The proof that the index knows each document as it is takes one stamp of each, as the
    // walk lists its folder (and one of the index's own file), and reads the index's stamps
    // at most once: for an answer, with a document changed, and for an update that finds
    // nothing to do. A later search of an index nobody has written since uses the stamps the
    // last one read; once the index is written, they are read again.
    void proofTakesOneStampPerDocument()
    {
        QTemporaryDir dir;
        const QString lib = dir.path() + QStringLiteral("/lib");
        int documents = 0;
        const QStringList folders{QStringLiteral("/СНиП"), QStringLiteral("/СНиП/Том 2"),
                                  QStringLiteral("/СНиП/Том 2/Часть 1"), QStringLiteral("/ГЭСН"),
                                  QString()};
        for (const QString& folder : folders) {
            for (int i = 0; i < 12; ++i, ++documents) {
                const QString page = lib + folder + QStringLiteral("/d%1.htm").arg(i);
                QVERIFY(
                    writeWord(page, i == 5 ? QStringLiteral("ксилолит") : QStringLiteral("бетон")));
                QVERIFY(TestFiles::write(lib + folder +
                                             QStringLiteral("/d%1.files/image001.png").arg(i),
                                         QByteArray("picture")));
            }
        }
        QVERIFY(
            QFile::link(lib + QStringLiteral("/ГЭСН/d1.htm"), lib + QStringLiteral("/link.htm")));
        ++documents;
        waitForStampsToSettle();
        QVERIFY(build(lib));

        // Each folder is listed once, whoever lists it (the walk or a thread ahead of it).
        quint64 listings = 0;
        const auto work = [&](const QString& context, bool words, int* found) {
            const quint64 stamps = Platform::stampsTaken();
            const quint64 reads = DocumentIndex::stampReads();
            const quint64 listed = Platform::folderListings();
            SearchRequest request;
            request.context = context;
            request.folders = {lib};
            request.options = MatchOptions{false, false, true, words};
            request.useIndex = true;
            const SearchResult result = SearchJob(request).run();
            *found = result.found;
            listings = Platform::folderListings() - listed;
            return std::make_pair(Platform::stampsTaken() - stamps,
                                  DocumentIndex::stampReads() - reads);
        };
        int found = 0;
        const quint64 stampsOfAnAnswer = quint64(documents) + 1;
        for (const bool words : {false, true}) {
            QCOMPARE(work(QStringLiteral("ксилолит"), words, &found),
                     std::make_pair(stampsOfAnAnswer, quint64(words ? 0 : 1)));
            QCOMPARE(found, 5);
#ifndef Q_OS_WIN // listings are not counted there
            QCOMPARE(listings, quint64(folders.size()));
#endif
        }
        QVERIFY(writeWord(lib + QStringLiteral("/ГЭСН/d7.htm"), QStringLiteral("ксилолит")));
        QCOMPARE(work(QStringLiteral("ксилолит"), false, &found),
                 std::make_pair(stampsOfAnAnswer, quint64(0)));
        QCOMPARE(found, 6);

        waitForStampsToSettle();
        QVERIFY(build(lib));
        QCOMPARE(work(QStringLiteral("ксилолит"), false, &found),
                 std::make_pair(stampsOfAnAnswer, quint64(1)));
        QCOMPARE(found, 6);
#ifndef Q_OS_WIN
        QCOMPARE(listings, quint64(folders.size()));
#endif
        const quint64 stamps = Platform::stampsTaken();
        const quint64 reads = DocumentIndex::stampReads();
        const IndexBuild::Report report = IndexBuild::updateOwn(lib);
        QCOMPARE(report.summary.read, 0);
        // And the index file's own, as the update finds it and as it leaves it.
        QCOMPARE(Platform::stampsTaken() - stamps, quint64(documents) + 2);
        QCOMPARE(DocumentIndex::stampReads() - reads, quint64(1));
    }

    // The stamps a search read are used by the next only while nobody has written the index:
    // a write by another connection, or an index made anew in the file's place, makes the
    // next search read them; a kept connection never hinders a builder.
    void keptStampsFollowEveryWrite()
    {
        QTemporaryDir dir;
        const QString lib = dir.path() + QStringLiteral("/lib");
        QVERIFY(writeLibrary(lib, 6, 2));
        waitForStampsToSettle();
        QVERIFY(build(lib));
        const QString file = IndexLocation::cacheFile(lib);
        const auto readStamps = [&](std::shared_ptr<const StampTable>* table) {
            const quint64 reads = DocumentIndex::stampReads();
            KeptIndex index;
            const bool read = index.open(file, DocumentIndex::Access::Read) && index->beginRead() &&
                              index.stamps(table);
            return read ? DocumentIndex::stampReads() - reads : quint64(99);
        };
        std::shared_ptr<const StampTable> stamps;
        QCOMPARE(readStamps(&stamps), quint64(1));
        QCOMPARE(readStamps(&stamps), quint64(0));
        QCOMPARE(stamps->size(), qsizetype(6));
        QVERIFY(stamps->find("d0.htm") >= 0);

        // A builder writes meanwhile, in its write-ahead log: while the index has one, no
        // connection is kept (it would hold a lock), and each search reads the stamps.
        DocumentIndex writer;
        QVERIFY(writer.open(file, DocumentIndex::Access::ReadWrite));
        QVERIFY(writer.begin() && writer.remove(QStringLiteral("d0.htm")) && writer.commit());
        QCOMPARE(readStamps(&stamps), quint64(1));
        QCOMPARE(stamps->find("d0.htm"), qsizetype(-1));
        QCOMPARE(readStamps(&stamps), quint64(1));
        QVERIFY(sameAsScan(lib, {QStringLiteral("ксилолит"), QStringLiteral("бетон")}, "written"));
        // The builder leaves the index without its log, which no kept connection hinders;
        // then the stamps are kept again.
        QVERIFY(writer.finishForSharing());
        writer.close();
        QVERIFY(!QFileInfo::exists(file + QStringLiteral("-wal")));
        QCOMPARE(readStamps(&stamps), quint64(1));
        QCOMPARE(readStamps(&stamps), quint64(0));
        QCOMPARE(stamps->find("d0.htm"), qsizetype(-1));

        // A builder switches the index to its log while a search has it open: the search's
        // connection, which has read it since, is not kept, and the builder switches back.
        DocumentIndex builder;
        {
            KeptIndex search;
            QVERIFY(search.open(file, DocumentIndex::Access::Read));
            QVERIFY(builder.open(file, DocumentIndex::Access::ReadWrite));
            QVERIFY(search->beginRead() && search.stamps(&stamps));
        }
        QVERIFY(builder.finishForSharing());
        builder.close();
        QVERIFY(!QFileInfo::exists(file + QStringLiteral("-wal")));

        // The index made anew in another file put in its place.
        QVERIFY(QFile::remove(file));
        QFile::remove(file + QStringLiteral("-wal"));
        QFile::remove(file + QStringLiteral("-shm"));
        QVERIFY(build(lib));
        QCOMPARE(readStamps(&stamps), quint64(1));
        QVERIFY(stamps->find("d0.htm") >= 0);
        QVERIFY(sameAsScan(lib, {QStringLiteral("ксилолит"), QStringLiteral("бетон")}, "anew"));
    }

    // Code 0 in a text, and a document too large to keep: found as the scan finds them.
    // The table finds every path whatever order it is asked in: in the order given, shuffled,
    // again, one asked twice, and from a copy; a path it does not hold (a prefix of one) is
    // not found.
    void stampTableFindsInAnyOrder()
    {
        StampTable table;
        QList<QByteArray> paths;
        for (int i = 0; i < 300; ++i) {
            paths.append("folder " + QByteArray::number(i % 7) + "/d" + QByteArray::number(i) +
                         ".htm");
            Platform::FileStamp stamp;
            stamp.size = i;
            table.add(paths.back(), stamp);
        }
        QVERIFY(table.finish());
        const auto findsAll = [&paths](const StampTable& in, const QList<int>& order) {
            for (const int i : order) {
                const qsizetype entry = in.find(paths.at(i));
                if (entry < 0 || in.path(entry) != paths.at(i) || in.stamp(entry).size != i)
                    return false;
            }
            return true;
        };
        QList<int> order;
        for (int i = 0; i < 300; ++i)
            order.append(i);
        QVERIFY(findsAll(table, order));
        QList<int> shuffled;
        for (int i = 0; i < 300; ++i)
            shuffled.append((i * 97) % 300);
        QVERIFY(findsAll(table, shuffled));
        QVERIFY(findsAll(table, {5, 5, 6, 4, 299, 0, 1}));
        const StampTable copy = table;
        QVERIFY(findsAll(copy, order));
        QCOMPARE(table.find("folder 1/d1"), qsizetype(-1));
        QCOMPARE(table.find("folder 1/d1.htm "), qsizetype(-1));
    }

    void nulAndLargeDocuments()
    {
        QTemporaryDir dir;
        const QString lib = dir.path() + QStringLiteral("/lib");
        QVERIFY(QDir().mkpath(lib));
        QByteArray withNul = TestFiles::cp1251(QStringLiteral("<p>начало"));
        withNul += '\0';
        withNul += TestFiles::cp1251(QStringLiteral(" ксилолит конец</p>"));
        QVERIFY(TestFiles::write(lib + QStringLiteral("/nul.htm"), withNul));
        QByteArray large = TestFiles::cp1251(QStringLiteral("<p>сметная стоимость </p>\n"))
                               .repeated(IndexUpdater::LargestDocument / 20 + 10);
        large += TestFiles::cp1251(QStringLiteral("<p>шпунт Ларсена</p>"));
        QVERIFY(large.size() > IndexUpdater::LargestDocument);
        QVERIFY(TestFiles::write(lib + QStringLiteral("/large.htm"), large));
        waitForStampsToSettle();
        const IndexBuild::Report report = IndexBuild::updateOwn(lib);
        QCOMPARE(report.outcome, IndexBuild::Outcome::Done);
        QCOMPARE(report.summary.tooLarge, 1);
        QVERIFY(sameAsScan(lib,
                           {QStringLiteral("ксилолит"), QStringLiteral("шпунт Ларсена"),
                            QStringLiteral("ларсена")},
                           "nul and large"));
    }

    // Folders named in windows-1251, of the same length: each has its own index.
    void foldersNamedInWindows1251()
    {
        QTemporaryDir dir;
        const std::string base = Platform::toNative(dir.path()).native();
        QStringList libraries;
        const char* names[] = {"\xD1\xCD\xE8\xCF", "\xC3\xDD\xD1\xCD"}; // "СНиП", "ГЭСН"
        const char* words[] = {"\xE0\xEB\xFC\xF4\xE0", "\xEE\xEC\xE5\xE3\xE0"}; // альфа, омега
        for (int i = 0; i < 2; ++i) {
            const std::filesystem::path folder = base + '/' + names[i];
            std::filesystem::create_directories(folder);
            std::ofstream(folder / "doc.htm") << "<p>" << words[i] << "</p>";
            libraries.append(Platform::fromNativeName(folder));
        }
        QVERIFY(IndexLocation::cacheFile(libraries[0]) != IndexLocation::cacheFile(libraries[1]));
        waitForStampsToSettle();
        for (const QString& library : std::as_const(libraries))
            QVERIFY(build(library));
        for (const QString& library : std::as_const(libraries)) {
            QVERIFY(sameAsScan(library, {QStringLiteral("альфа"), QStringLiteral("омега")},
                               "windows-1251 folder"));
            QCOMPARE(IndexFilter(library, QStringLiteral("альфа")).state(),
                     IndexFilter::State::Used);
        }
        std::error_code ignored; // names QTemporaryDir cannot take back
        for (const char* name : names)
            std::filesystem::remove_all(base + '/' + name, ignored);
    }

    // Letters a Unicode tokenizer would fold or split at: the word table keeps them apart as
    // the scan does.
    void wordTableKeepsCharactersApart()
    {
        QTemporaryDir dir;
        const QString lib = dir.path() + QStringLiteral("/lib");
        QVERIFY(QDir().mkpath(lib));
        const QStringList words{QStringLiteral("5µm"),
                                QStringLiteral("5μm"),
                                QStringLiteral("ϕ12"),
                                QStringLiteral("φ12"),
                                QStringLiteral("ας"),
                                QStringLiteral("ασ"),
                                QStringLiteral("ſtahl"),
                                QStringLiteral("stahl"),
                                QStringLiteral("aʹb"),
                                QStringLiteral("ab"),
                                QStringLiteral("за\u0301мок"),
                                QStringLiteral("замок"),
                                QStringLiteral("желез\u00ADобетон")};
        for (int i = 0; i < words.size(); ++i) {
            QVERIFY(TestFiles::write(
                lib + QStringLiteral("/%1.htm").arg(i),
                (QStringLiteral("<meta charset=utf-8><p>x ") + words[i] + QStringLiteral(" y</p>"))
                    .toUtf8()));
        }
        waitForStampsToSettle();
        QVERIFY(build(lib));
        QVERIFY(sameAsScan(lib, words, "word table"));
        // Soft hyphens and stress accents are no part of the text: the pages hold one word.
        QVERIFY(answer(lib, QStringLiteral("замок"), false, true).count(u'|') == 1);
        QVERIFY(answer(lib, QStringLiteral("железобетоном"), true, true).contains(u'/'));
    }

    // An update reads the index through to check it only when the stamp it was left with
    // does not prove it whole. Pages overwritten in the middle of the index: the update finds
    // it damaged and makes it anew; the answers are the scan's.
    void damagedIndexIsMadeAnew()
    {
        QTemporaryDir dir;
        const QString lib = dir.path() + QStringLiteral("/lib");
        QVERIFY(QDir().mkpath(lib));
        for (int i = 0; i < 200; ++i)
            QVERIFY(writeWord(lib + QStringLiteral("/%1.htm").arg(i),
                              QStringLiteral("ксилолит номер %1").arg(i)));
        waitForStampsToSettle();
        const IndexBuild::Report first = IndexBuild::updateOwn(lib);
        QCOMPARE(first.outcome, IndexBuild::Outcome::Done);
        QVERIFY(!first.replaced); // made, not replaced
        const QString file = IndexLocation::cacheFile(lib);
        const QString record = SoundnessRecord::recordFile(file);
#ifdef Q_OS_WIN
        constexpr bool provable = false; // stamps there carry no change time
#else
        constexpr bool provable = true;
#endif
        // Whether the record is there whenever the update writes: never.
        bool recordWhileWriting = false;
        const auto update = [&](bool readThrough) {
            const IndexBuild::Report report = IndexBuild::updateOwn(lib, [&](int, int) {
                recordWhileWriting = recordWhileWriting || QFile::exists(record);
            });
            return report.outcome == IndexBuild::Outcome::Done && !report.replaced &&
                   report.readThrough == (readThrough || !provable) &&
                   report.summary.documents == 200 && !recordWhileWriting;
        };
        QVERIFY(update(false));
        QVERIFY(writeWord(lib + QStringLiteral("/7.htm"), QStringLiteral("ксилолит номер 7")));
        waitForStampsToSettle();
        QVERIFY(update(false)); // the document read anew
        QVERIFY(update(false));
        // Written by another program (the same bytes, the stamp changes; past a tick of the
        // file system's clock, which a write within the same tick would not move), a record
        // of another kind, a journal left beside it by an update cut off: each is checked.
        const auto rewriteFirstPage = [&file] {
            QTest::qSleep(50);
            QFile index(file);
            if (!index.open(QIODevice::ReadWrite))
                return false;
            const QByteArray page = index.read(4096);
            return index.seek(0) && index.write(page) == page.size();
        };
        QVERIFY(rewriteFirstPage());
        QVERIFY(update(true));
        QVERIFY(update(false));
        QVERIFY(TestFiles::write(record, "another kind of record"));
        QVERIFY(update(true));
        QVERIFY(TestFiles::write(file + QStringLiteral("-journal"), QByteArray()));
        QVERIFY(update(true));
        QVERIFY(!QFile::exists(file + QStringLiteral("-journal")));
        QVERIFY(update(false));
        {
            QFile index(file);
            QVERIFY(index.open(QIODevice::ReadWrite));
            const qint64 size = index.size();
            QVERIFY(size > 64 * 1024);
            index.seek(size / 3);
            index.write(QByteArray(size / 3, '\0'));
        }
        const IndexBuild::Report report = IndexBuild::updateOwn(lib);
        QCOMPARE(report.outcome, IndexBuild::Outcome::Done);
        QVERIFY(report.replaced);
        QCOMPARE(report.summary.documents, 200);
        QVERIFY(
            sameAsScan(lib, {QStringLiteral("ксилолит"), QStringLiteral("номер 17")}, "rebuilt"));
        QVERIFY(update(false));
        QCOMPARE(QFile::exists(record), provable);
    }

    // Word forms: the same relevance for every found document with and without the index,
    // also beside documents changed since the build.
    void relevanceIsTheScans()
    {
        QTemporaryDir dir;
        const QString lib = dir.path() + QStringLiteral("/lib");
        QVERIFY(QDir().mkpath(lib));
        const auto page = [](int i) {
            QString text = QStringLiteral("<p>Раздел %1.").arg(i);
            for (int j = 0; j < i % 7; ++j)
                text += QStringLiteral(" Сметная стоимость строительства.");
            for (int j = 0; j < i % 5; ++j)
                text += QStringLiteral(" Сметной нормы и цены на материалы.");
            for (int j = 0; j < (i * 3) % 11; ++j)
                text += QStringLiteral(" Грунт разрабатывается экскаватором.");
            return TestFiles::cp1251(text + QStringLiteral("</p>"));
        };
        for (int i = 0; i < 40; ++i)
            QVERIFY(TestFiles::write(lib + QStringLiteral("/%1.htm").arg(i), page(i)));
        waitForStampsToSettle();
        QVERIFY(build(lib));
        for (int i = 0; i < 40; i += 9) // changed since: read by the search
            QVERIFY(TestFiles::write(lib + QStringLiteral("/%1.htm").arg(i), page(i + 3)));
        const auto relevance = [&lib](const QString& query, bool useIndex) {
            SearchRequest request;
            request.context = query;
            request.folders = {lib};
            request.options.wordForms = true;
            request.useIndex = useIndex;
            const SearchResult result = SearchJob(request).run();
            if (useIndex && result.indexedFolders != QStringList{lib})
                return QHash<QString, double>();
            return result.relevance;
        };
        for (const QString& query :
             {QStringLiteral("сметная стоимость"), QStringLiteral("\"сметная стоимость\""),
              QStringLiteral("сметные нормы грунт"), QStringLiteral("раздел")}) {
            const QHash<QString, double> scanned = relevance(query, false);
            QVERIFY(!scanned.isEmpty());
            QCOMPARE(relevance(query, true), scanned);
        }
    }

    // A shared index's pointer names a file of the index folder only; a damaged one is told as
    // a damaged index, never as no index at all.
    void sharedPointerNamesItsOwnFile()
    {
        QTemporaryDir dir;
        const QString lib = dir.path() + QStringLiteral("/lib");
        QVERIFY(QDir().mkpath(lib));
        QVERIFY(writeWord(lib + QStringLiteral("/a.htm"), QStringLiteral("альфа")));
        QCOMPARE(IndexBuild::updateShared(lib).outcome, IndexBuild::Outcome::Done);
        QCOMPARE(IndexFilter(lib, QStringLiteral("альфа")).state(), IndexFilter::State::Used);
        const QString pointer = IndexLocation::sharedPointer(lib);
        const QString outside = dir.path() + QStringLiteral("/outside.sqlite");
        QVERIFY(QFile::copy(IndexLocation::sharedFile(lib), outside));
        QVERIFY(QFile::link(outside, IndexLocation::sharedFolder(lib) + QStringLiteral("/out")));
        for (const QByteArray& named : {QByteArray("out\n"), QByteArray("../outside.sqlite\n"),
                                        QByteArray("index-9.sqlite\n"), QByteArray("\xFF\n")}) {
            QVERIFY(TestFiles::write(pointer, named));
            QCOMPARE(IndexFilter(lib, QStringLiteral("альфа")).state(),
                     IndexFilter::State::Unusable);
            QVERIFY(sameAsScan(lib, {QStringLiteral("альфа")}, "damaged pointer"));
        }
    }

    // Word forms and the index's build on pages of 80 MB (one endless word, and ordinary text)
    // stay within 256 MB of memory more than the program took before: each runs in a child
    // process under that limit.
    void boundedMemory()
    {
        QTemporaryDir dir;
        const QString lib = dir.path() + QStringLiteral("/lib");
        QVERIFY(QDir().mkpath(lib));
        const qsizetype size = 80 * 1024 * 1024;
        QVERIFY(TestFiles::write(lib + QStringLiteral("/word.htm"),
                                 "<p>" + QByteArray(size, '\xE0') + "</p>"));
        QVERIFY(TestFiles::write(
            lib + QStringLiteral("/text.htm"),
            TestFiles::cp1251(QStringLiteral("<p>Сметная стоимость работ по смете.</p>\n"))
                    .repeated(size / 40) +
                TestFiles::cp1251(QStringLiteral("<p>шпунт Ларсена</p>"))));
        const auto underLimit = [](const std::function<bool()>& work) {
            const pid_t child = ::fork();
            if (child == 0) {
                long pages = 0;
                if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
                    if (std::fscanf(statm, "%ld", &pages) != 1)
                        pages = 0;
                    std::fclose(statm);
                }
                const rlim_t taken = rlim_t(pages) * rlim_t(::sysconf(_SC_PAGESIZE));
                const struct rlimit limit
                {
                    taken + (256u << 20), taken + (256u << 20)
                };
                ::setrlimit(RLIMIT_AS, &limit);
                // Out of memory is a plain failure here, never an unwinding in a forked child.
                std::set_new_handler([] { ::_exit(3); });
                try {
                    ::_exit(work() ? 0 : 1);
                } catch (...) {
                    ::_exit(2);
                }
            }
            int status = 0;
            for (int waited = 0; child > 0 && waited < 1200; ++waited) {
                if (::waitpid(child, &status, WNOHANG) == child)
                    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
                QTest::qSleep(100);
            }
            if (child > 0) {
                ::kill(child, SIGKILL);
                ::waitpid(child, &status, 0);
            }
            return false;
        };
        // Read in pieces, every word is counted once: five a line, two at the end.
        QVERIFY(underLimit([&lib, size] {
            const WordSearch search(QStringLiteral("ларсен"));
            const WordSearch::Reading text = search.read(lib + QStringLiteral("/text.htm"));
            const WordSearch::Reading word = search.read(lib + QStringLiteral("/word.htm"));
            return text.found() && text.counts == QList<int>{1} &&
                   text.length == int(size / 40) * 5 + 2 && word.readable && word.length == 1;
        }));
        QVERIFY(underLimit(
            [&lib] { return IndexBuild::updateOwn(lib).outcome == IndexBuild::Outcome::Done; }));
    }

    // A search writes nothing: the index's folder is as the build left it (no journal files),
    // and an index removed stays removed.
    void searchesWriteNothing()
    {
        QTemporaryDir dir;
        const QString lib = dir.path() + QStringLiteral("/lib");
        QVERIFY(QDir().mkpath(lib));
        QVERIFY(writeWord(lib + QStringLiteral("/a.htm"), QStringLiteral("альфа")));
        waitForStampsToSettle();
        QVERIFY(build(lib));
        const QString file = IndexLocation::cacheFile(lib);
        const QDir cache(IndexLocation::cacheFolder());
        const QStringList before = cache.entryList(QDir::Files);
        const QDateTime written = QFileInfo(file).lastModified();
        QVERIFY(sameAsScan(lib, {QStringLiteral("альфа"), QStringLiteral("омега")}, "read"));
        QCOMPARE(cache.entryList(QDir::Files), before);
        QCOMPARE(QFileInfo(file).lastModified(), written);

        QVERIFY(QFile::remove(file));
        QCOMPARE(answer(lib, QStringLiteral("альфа"), false, true),
                 answer(lib, QStringLiteral("альфа"), false, false));
        QVERIFY(!QFile::exists(file));
    }
};

QTEST_GUILESS_MAIN(TestIndexFreshness)
#include "tst_indexfreshness.moc"
