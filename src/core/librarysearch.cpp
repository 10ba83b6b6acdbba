#include "librarysearch.h"

#include "documentsearch.h"

#include <QThread>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace {

void keepFound(std::vector<ScanNode>& nodes, const std::vector<char>& found, size_t& next)
{
    std::vector<ScanNode> kept;
    kept.reserve(nodes.size());
    for (ScanNode& node : nodes) {
        if (node.isFolder) {
            keepFound(node.children, found, next);
            kept.push_back(std::move(node));
        } else if (found[next++]) {
            kept.push_back(std::move(node));
        }
    }
    nodes = std::move(kept);
}

} // namespace

LibrarySearchResult LibrarySearch::scan(const QString& dir, const QString& context,
                                        bool caseSensitive, std::atomic<int>* progress)
{
    // The folders are walked on this thread while a pool checks the documents already met;
    // the answers are kept by the document's place in scan order.
    const DocumentSearch search(context, caseSensitive);
    std::mutex mutex;
    std::condition_variable wake;
    QStringList paths;
    std::deque<char> found; // references stay valid while the walk appends
    bool walkDone = false;
    qsizetype next = 0;
    int waiting = 0; // workers asleep: only they need waking

    const auto work = [&] {
        for (;;) {
            QString path;
            char* answer = nullptr;
            {
                std::unique_lock lock(mutex);
                ++waiting;
                wake.wait(lock, [&] { return next < paths.size() || walkDone; });
                --waiting;
                if (next >= paths.size())
                    return;
                path = paths.at(next);
                answer = &found[size_t(next)];
                ++next;
            }
            *answer = search.contains(path) ? 1 : 0;
            if (progress)
                progress->fetch_add(1, std::memory_order_relaxed);
        }
    };
    // One core walks, the others check; the walker checks too once the walk is done.
    const int threads = std::clamp(QThread::idealThreadCount(), 1, 16);
    std::vector<std::thread> pool;
    for (int t = 1; t < threads; ++t)
        pool.emplace_back(work);

    LibrarySearchResult result;
    result.nodes = LibraryScan::deep(dir, [&](const QString& path) {
        bool sleeper = false;
        {
            const std::lock_guard lock(mutex);
            paths.append(path);
            found.push_back(0);
            sleeper = waiting > 0;
        }
        if (sleeper)
            wake.notify_one();
    });
    {
        const std::lock_guard lock(mutex);
        walkDone = true;
    }
    wake.notify_all();
    work();
    for (std::thread& thread : pool)
        thread.join();

    const std::vector<char> answers(found.begin(), found.end());
    result.checked = int(answers.size());
    for (const char hit : answers)
        result.found += hit ? 1 : 0;
    size_t position = 0;
    keepFound(result.nodes, answers, position);
    return result;
}

QString LibrarySearch::trimmedContext(const QString& text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && text.at(start).unicode() <= 32)
        ++start;
    while (end > start && text.at(end - 1).unicode() <= 32)
        --end;
    return text.mid(start, end - start);
}
