// The phases of an indexed text-mode answer on a library whose index is up to date, each timed
// alone with the program's own functions, beside the floor of the freshness proof: a bare
// walk that reads every folder's entries and stats each document relative to its folder
// (picture folders skipped). Then the whole indexed answer, the answer from a walk kept while a
// watch follows the library (as the window has it), and the scan's, in this process.
#include "index/documentindex.h"
#include "index/indexfilter.h"
#include "index/stamptable.h"
#include "library/documentlayout.h"
#include "library/libraryscan.h"
#include "library/librarysnapshot.h"
#include "platform/platform.h"
#include "search/searchjob.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool endsWith(const char* name, const char* suffix)
{
    const size_t length = std::strlen(name);
    const size_t tail = std::strlen(suffix);
    return length >= tail && strcasecmp(name + length - tail, suffix) == 0;
}

// Entries of every folder below fd; with stats, each document is stat'ed relative to it.
int bareWalk(int fd, bool stats)
{
    DIR* folder = ::fdopendir(fd);
    if (!folder) {
        ::close(fd);
        return 0;
    }
    int documents = 0;
    while (const dirent* entry = ::readdir(folder)) {
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        if (entry->d_type == DT_DIR) {
            if (endsWith(name, ".files") || endsWith(name, "_files"))
                continue;
            const int child = ::openat(::dirfd(folder), name, O_RDONLY | O_DIRECTORY);
            if (child >= 0)
                documents += bareWalk(child, stats);
        } else if (endsWith(name, ".htm") || endsWith(name, ".html") || endsWith(name, ".pdf")) {
            struct stat info;
            if (stats)
                ::fstatat(::dirfd(folder), name, &info, AT_SYMLINK_NOFOLLOW);
            ++documents;
        }
    }
    ::closedir(folder);
    return documents;
}

// The shortest of runs of work, in milliseconds.
double best(int runs, const std::function<void()>& work)
{
    double shortest = 1e18;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        shortest = std::min(shortest, timer.nsecsElapsed() / 1e6);
    }
    return shortest;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: freshness_bench LIBRARY CONTEXT [RUNS "
                             "[--walk-only|--indexed-only|--floor-only]]\n");
        return 2;
    }
    const QString library = QString::fromLocal8Bit(argv[1]);
    const QString context = QString::fromLocal8Bit(argv[2]);
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
    const QByteArray native = QFile::encodeName(library);
    const std::atomic<bool> takeStamps{true};
    if (argc > 4 && std::strcmp(argv[4], "--walk-only") == 0) {
        // For a profiler: the walk that takes stamps, alone.
        const double walk = best(runs, [&] {
            LibraryScan::deep(
                library, [](const ScannedDocument&) {}, nullptr, nullptr, &takeStamps);
        });
        std::printf("walk with stamps %.1f ms\n", walk);
        return 0;
    }
    if (argc > 4 && std::strcmp(argv[4], "--floor-only") == 0) {
        // The floor as a process of its own, to be timed beside lectoria-find.
        const double floor =
            best(runs, [&] { bareWalk(::open(native.constData(), O_RDONLY | O_DIRECTORY), true); });
        std::printf("bare walk with fstatat %.1f ms\n", floor);
        return 0;
    }
    if (argc > 4 && std::strcmp(argv[4], "--indexed-only") == 0) {
        // For a profiler: the indexed answer, alone.
        SearchRequest request{context, MatchOptions{false, false, true, false}, {library}, {}, {}};
        request.useIndex = true;
        const double indexed = best(runs, [&] { SearchJob(request).run(); });
        std::printf("indexed answer %.1f ms\n", indexed);
        return 0;
    }

    int documents = 0;
    const double entries = best(runs, [&] {
        documents = bareWalk(::open(native.constData(), O_RDONLY | O_DIRECTORY), false);
    });
    // The floor is taken again at the end, and the shorter kept: the same walk's time moves
    // by half between runs of a process on this kind of machine.
    const auto floorWalk = [&] {
        return best(runs,
                    [&] { bareWalk(::open(native.constData(), O_RDONLY | O_DIRECTORY), true); });
    };
    double floor = floorWalk();
    std::vector<QString> paths;
    const double walk = best(runs, [&] {
        paths.clear();
        LibraryScan::deep(
            library, [&](const ScannedDocument& document) { paths.push_back(document.path()); });
    });
    const double stampedWalk = best(runs, [&] {
        LibraryScan::deep(
            library, [](const ScannedDocument&) {}, nullptr, nullptr, &takeStamps);
    });
    const double stat = best(runs, [&] {
        Platform::FileStamp stamp;
        for (const QString& path : paths)
            Platform::fileStamp(path, &stamp);
    });
    const QString file = IndexFilter::indexFileFor(library);
    double stamps = -1;
    if (!file.isEmpty()) {
        DocumentIndex index;
        if (index.open(file, DocumentIndex::Access::Read)) {
            stamps = best(runs, [&] {
                StampTable read;
                index.stamps(&read);
            });
        }
    }
    const double filter = best(runs, [&] { IndexFilter(library, context); });
    SearchRequest request{context, MatchOptions{false, false, true, false}, {library}, {}, {}};
    request.useIndex = true;
    SearchResult indexedResult;
    const double indexed = best(runs, [&] { indexedResult = SearchJob(request).run(); });
    // The window's way: the walk kept while a watch follows the library.
    std::shared_ptr<LibrarySnapshot> snapshot;
    const double kept = best(1, [&] { snapshot = LibrarySnapshot::take(library); });
    double replayed = -1;
    SearchResult replayedResult;
    if (snapshot) {
        request.knownLibraries.insert(library, KnownLibrary{snapshot, {}});
        replayed = best(runs, [&] { replayedResult = SearchJob(request).run(); });
        request.knownLibraries.clear();
    }
    request.useIndex = false;
    SearchResult scanResult;
    const double scan = best(runs, [&] { scanResult = SearchJob(request).run(); });

    floor = std::min(floor, floorWalk());

    std::printf("documents %d; best of %d runs, ms\n", documents, runs);
    std::printf("bare walk: entries %.1f, entries and fstatat %.1f (the floor)\n", entries, floor);
    std::printf("library walk %.1f, with stamps %.1f; stat per document by path %.1f; index "
                "stamps read %.1f; index filter made %.1f\n",
                walk, stampedWalk, stat, stamps, filter);
    std::printf("indexed answer %.1f (found %d, checked %d, %s) = %.2fx the floor\n", indexed,
                indexedResult.found, indexedResult.checked,
                indexedResult.indexedFolders.isEmpty() ? "index not used" : "index used",
                indexed / floor);
    std::printf("walk kept and watched in %.1f; indexed answer from it %.1f (found %d, checked "
                "%d)\n",
                kept, replayed, replayedResult.found, replayedResult.checked);
    std::printf("scan %.1f (found %d, checked %d)\n", scan, scanResult.found, scanResult.checked);
    return indexedResult.found == scanResult.found ? 0 : 1;
}
