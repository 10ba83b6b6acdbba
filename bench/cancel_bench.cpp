// How soon a search stops after it is cancelled: a search of the library is started on the
// thread pool, cancelled after a delay, and the time from the cancel to the end of the run is
// measured, for several delays.
#include "search/searchjob.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QtConcurrent>

#include <algorithm>
#include <cstdio>
#include <thread>

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: cancel_bench LIBRARY CONTEXT\n");
        return 2;
    }
    const QString library = QString::fromLocal8Bit(argv[1]);
    const QString context = QString::fromLocal8Bit(argv[2]);

    QElapsedTimer timer;
    timer.start();
    const SearchResult whole =
        SearchJob(SearchRequest{context, MatchOptions{false}, {library}, {}, {}}).run();
    const qint64 wholeMs = timer.elapsed();
    std::printf("whole search %lld ms (checked %d, found %d)\n", wholeMs, whole.checked,
                whole.found);

    double worst = 0;
    for (const int percent : {5, 20, 40, 60, 80, 95}) {
        SearchJob job(SearchRequest{context, MatchOptions{false}, {library}, {}, {}});
        QFuture<SearchResult> running = QtConcurrent::run([&] { return job.run(); });
        std::this_thread::sleep_for(std::chrono::milliseconds(wholeMs * percent / 100));
        QElapsedTimer stop;
        stop.start();
        job.cancel();
        const SearchResult result = running.result();
        const double ms = stop.nsecsElapsed() / 1e6;
        worst = std::max(worst, ms);
        std::printf("cancel at %2d%%: stopped in %.2f ms (%s, checked %d)\n", percent, ms,
                    result.cancelled ? "cancelled" : "had ended", job.checkedCount());
    }
    std::printf("worst %.2f ms\n", worst);
    return 0;
}
