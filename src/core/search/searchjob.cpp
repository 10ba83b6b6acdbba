#include "search/searchjob.h"

#include "index/indexfilter.h"
#include "matching/documentsearch.h"
#include "matching/wordsearch.h"
#include "norms/citationsearch.h"

#include <QThread>
#include <QThreadPool>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <future>
#include <memory>
#include <mutex>

namespace {

// nodePlaces: the place in scan order of each document that has a node, in the same order.
void keepFound(std::vector<ScanNode>& nodes, const std::vector<char>& found,
               const std::vector<qsizetype>& nodePlaces, size_t& next)
{
    std::vector<ScanNode> kept;
    kept.reserve(nodes.size());
    for (ScanNode& node : nodes) {
        if (node.isFolder) {
            keepFound(node.children, found, nodePlaces, next);
            kept.push_back(std::move(node));
        } else if (next < nodePlaces.size() && found[size_t(nodePlaces[next++])]) {
            kept.push_back(std::move(node));
        }
    }
    nodes = std::move(kept);
}

} // namespace

SearchJob::SearchJob(SearchRequest request) : m_request(std::move(request))
{
    m_request.options = m_request.options.effective();
}

QThreadPool& SearchJob::checkPool()
{
    // One pool for every run: the running thread walks and checks too, the pool adds the
    // other cores.
    static QThreadPool* const pool = [] {
        auto* threads = new QThreadPool();
        threads->setMaxThreadCount(std::clamp(QThread::idealThreadCount() - 1, 1, 15));
        return threads;
    }();
    return *pool;
}

SearchResult SearchJob::run()
{
    SearchResult result;
    const DocumentSearch search(m_request.context, m_request.options);
    std::unique_ptr<WordSearch> words;
    std::unique_ptr<CitationSearch> citations;
    if (m_request.citations)
        citations = std::make_unique<CitationSearch>(
            CitationSearch::parse(m_request.context).value_or(CitationSearch(Designation())));
    else if (m_request.options.wordForms)
        words = std::make_unique<WordSearch>(m_request.context);
    std::vector<WordReading> readings;
    if (!m_request.document.isEmpty()) {
        bool unreadable = false;
        bool withoutText = false;
        if (citations) {
            result.found = citations->cites(m_request.document, &m_cancel, &unreadable) ? 1 : 0;
        } else if (words) {
            const WordSearch::Reading reading = words->read(m_request.document, &m_cancel);
            withoutText = reading.withoutText;
            unreadable = !reading.readable && !withoutText;
            result.found = reading.found() ? 1 : 0;
            readings.push_back(
                {m_request.document, reading.counts, reading.length, reading.found()});
        } else {
            result.found =
                search.contains(m_request.document, &m_cancel, &unreadable, &withoutText) ? 1 : 0;
        }
        if (result.found && m_found && !isCancelRequested())
            m_found(m_request.document);
        result.checked = 1;
        result.unreadable = unreadable ? 1 : 0;
        result.withoutText = withoutText ? 1 : 0;
        m_checked.store(1, std::memory_order_relaxed);
    } else {
        for (qsizetype i = 0; i < m_request.folders.size() && !isCancelRequested(); ++i) {
            const QString& folder = m_request.folders.at(i);
            // The folder's index is read while the walk lists its first folders.
            std::future<std::unique_ptr<IndexFilter>> filter;
            if (m_request.useIndex && (citations || words || m_request.options.textMode)) {
                filter = std::async(std::launch::async, [&, folder] {
                    if (citations && citations->part())
                        return std::make_unique<IndexFilter>(folder, citations->cited(),
                                                             *citations->part());
                    if (citations)
                        return std::make_unique<IndexFilter>(folder, citations->cited());
                    if (words)
                        return std::make_unique<IndexFilter>(folder, *words);
                    return std::make_unique<IndexFilter>(folder, m_request.context);
                });
            }
            FolderResult part =
                searchFolder(folder, search, std::move(filter), words.get(), citations.get());
            if (part.unreplayed)
                result.unreplayedFolders.append(folder);
            if (part.filter && part.filter->state() == IndexFilter::State::Used)
                result.indexedFolders.append(folder);
            else if (part.filter && (citations || words ||
                                     part.filter->state() != IndexFilter::State::NotApplicable))
                result.unindexedFolders.append(folder);
            std::move(part.words.begin(), part.words.end(), std::back_inserter(readings));
            result.checked += part.checked;
            result.found += part.found;
            result.unreadable += part.unreadable;
            result.withoutText += part.withoutText;
            if (i < m_request.folderCaptions.size()) {
                ScanNode node{true, m_request.folderCaptions.at(i), folder, std::move(part.nodes)};
                result.nodes.push_back(std::move(node));
            } else {
                std::move(part.nodes.begin(), part.nodes.end(), std::back_inserter(result.nodes));
            }
        }
        LibraryScan::pruneEmptyFolders(result.nodes);
    }
    if (words)
        result.relevance = relevanceOf(readings, words->query().groups().size());
    if (isCancelRequested()) {
        result = SearchResult();
        result.cancelled = true;
    }
    return result;
}

QHash<QString, double> SearchJob::relevanceOf(const std::vector<WordReading>& readings,
                                              qsizetype groups)
{
    // The documents searched are the statistics; the lengths and groups are those of the
    // documents read whole (the rest cannot hold every group). With an index the same numbers
    // come from it, so the order is the same with and without it.
    int documents = 0;
    int measured = 0;
    qint64 words = 0;
    QList<int> withGroup(groups, 0);
    for (const WordReading& reading : readings) {
        ++documents;
        if (reading.length < 0)
            continue;
        ++measured;
        words += reading.length;
        for (qsizetype g = 0; g < groups && g < reading.counts.size(); ++g)
            withGroup[g] += reading.counts[g] > 0 ? 1 : 0;
    }
    const Relevance relevance(documents, withGroup, measured > 0 ? double(words) / measured : 1.0);
    QHash<QString, double> out;
    for (const WordReading& reading : readings) {
        if (reading.found)
            out.insert(reading.path, relevance.score(reading.counts, reading.length));
    }
    return out;
}

SearchJob::FolderResult
SearchJob::searchFolder(const QString& dir, const DocumentSearch& search,
                        std::future<std::unique_ptr<IndexFilter>> filterMade,
                        const WordSearch* words, const CitationSearch* citations)
{
    // The folders are walked on this thread while the pool checks the documents already met;
    // the answers are kept by the document's place in scan order. With an index, the walk
    // takes each document's stamp as it lists its folder and settles at once those the index
    // answers for; only the rest go to the pool.
    FolderResult result;
    bool indexed = false;
    const bool indexAsked = filterMade.valid();
    std::atomic<bool> takeStamps{indexAsked};
    const IndexFilter* filter = nullptr;
    // Once the index is read (before the first document is decided): whether it is used, and
    // so whether the walk goes on taking stamps.
    const auto knowFilter = [&] {
        if (!filterMade.valid())
            return;
        result.filter = filterMade.get();
        filter = result.filter.get();
        indexed = filter->state() == IndexFilter::State::Used;
        takeStamps.store(indexed, std::memory_order_relaxed);
    };
    struct Pending
    {
        qsizetype place = 0;
        QString path;
        bool knownAsIs = false; // the index knows it as it is
    };
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable workerEnded;
    std::deque<Pending> pending;
    std::deque<char> found;               // by place; references stay valid while the walk appends
    std::deque<WordReading> wordReadings; // of the word-forms search, by place
    std::atomic<int> unreadableDocuments{0};
    std::atomic<int> withoutTextDocuments{0};
    std::atomic<int> outsideDocuments{0}; // not among those asked (SearchRequest::within)
    bool walkDone = false;
    int waiting = 0; // workers asleep: only they need waking
    int started = 0;
    int ended = 0;

    const auto work = [&] {
        for (;;) {
            Pending next;
            char* answer = nullptr;
            WordReading* wordReading = nullptr;
            {
                std::unique_lock lock(mutex);
                ++waiting;
                wake.wait(lock, [&] { return !pending.empty() || walkDone; });
                --waiting;
                if (pending.empty())
                    return;
                next = std::move(pending.front());
                pending.pop_front();
                answer = &found[size_t(next.place)];
                if (words)
                    wordReading = &wordReadings[size_t(next.place)];
            }
            const QString& path = next.path;
            // A cancelled run only drains what the walk has met.
            if (words && !isCancelRequested()) {
                checkWords(path, *words, next.knownAsIs ? filter : nullptr, *wordReading);
                *answer = wordReading->found ? 1 : 0;
                if (*answer && m_found && !isCancelRequested())
                    m_found(path);
                if (wordReading->withoutText)
                    withoutTextDocuments.fetch_add(1, std::memory_order_relaxed);
                else if (wordReading->length == -1)
                    unreadableDocuments.fetch_add(1, std::memory_order_relaxed);
            } else if (!isCancelRequested()) {
                bool unreadable = false;
                bool withoutText = false;
                *answer = (citations ? citations->cites(path, &m_cancel, &unreadable)
                                     : search.contains(path, &m_cancel, &unreadable, &withoutText))
                              ? 1
                              : 0;
                if (*answer && m_found && !isCancelRequested())
                    m_found(path);
                if (unreadable)
                    unreadableDocuments.fetch_add(1, std::memory_order_relaxed);
                if (withoutText)
                    withoutTextDocuments.fetch_add(1, std::memory_order_relaxed);
            } else {
                continue; // drained, not checked: the count stops with the run
            }
            m_checked.fetch_add(1, std::memory_order_relaxed);
        }
    };
    QThreadPool& pool = checkPool();
    for (int t = 0; t < pool.maxThreadCount(); ++t) {
        ++started;
        pool.start([&] {
            work();
            const std::lock_guard lock(mutex);
            ++ended;
            workerEnded.notify_all();
        });
    }

    qsizetype places = 0;
    std::vector<qsizetype> nodePlaces; // of the documents the walk makes nodes for
    // Gives the document's place in scan order; one settled as not found is left out of the
    // walk's tree (most of them, with an index).
    const auto meet = [&](ScannedDocument& document) {
        const qsizetype place = places++;
        bool knownAsIs = false;
        std::optional<char> settled;
        const bool outside = m_request.within && !m_request.within->contains(document.path());
        if (outside) {
            settled = 0;
        } else if (indexed && words) {
            knownAsIs = filter->knowsAsIs(document);
        } else if (indexed && citations) {
            if (const std::optional<bool> known = filter->knownCitation(document))
                settled = *known ? 1 : 0;
        } else if (indexed && !filter->mustRead(document)) {
            settled = 0;
        }
        if (settled == 0)
            document.leaveOutOfTree();
        Pending next;
        if (!settled)
            next = Pending{place, document.path(), knownAsIs};
        bool sleeper = false;
        {
            const std::lock_guard lock(mutex);
            found.push_back(settled.value_or(0));
            if (words) {
                wordReadings.push_back(WordReading{});
                if (outside)
                    wordReadings.back().length = -1; // not among the statistics either
            }
            if (!settled) {
                pending.push_back(std::move(next));
                sleeper = waiting > 0;
            }
        }
        if (outside) {
            outsideDocuments.fetch_add(1, std::memory_order_relaxed);
        } else if (settled) {
            if (*settled && m_found)
                m_found(document.path());
            m_checked.fetch_add(1, std::memory_order_relaxed);
        }
        if (sleeper)
            wake.notify_one();
        return place;
    };
    // The first document waits for the index to be read: what it tells decides how each
    // document is met. The walk's listing threads (or the thread that takes a kept walk's
    // stamps) go on ahead meanwhile.
    const auto onDocument = [&](ScannedDocument& document) {
        knowFilter();
        const qsizetype place = meet(document);
        if (document.isInTree())
            nodePlaces.push_back(place);
    };
    const auto known = m_request.knownLibraries.constFind(dir);
    bool replayed = false;
    if (known != m_request.knownLibraries.constEnd() && known->snapshot) {
        replayed = known->snapshot->replay(known->changedFolders, onDocument, &result.nodes,
                                           &result.unreadable, &m_cancel);
        result.unreplayed = !replayed;
    }
    if (!replayed) {
        result.nodes = LibraryScan::deep(dir, onDocument, &m_cancel, &result.unreadable,
                                         indexAsked ? &takeStamps : nullptr);
    }
    knowFilter();
    {
        const std::lock_guard lock(mutex);
        walkDone = true;
    }
    wake.notify_all();
    work(); // this thread checks too once the walk is done
    {
        // Workers the pool has not started yet begin, find nothing left and end.
        std::unique_lock lock(mutex);
        workerEnded.wait(lock, [&] { return ended == started; });
    }

    result.unreadable += unreadableDocuments.load();
    result.withoutText = withoutTextDocuments.load();
    for (WordReading& reading : wordReadings) {
        if (reading.length != -1) // -1: could not be read
            result.words.push_back(std::move(reading));
    }
    const std::vector<char> answers(found.begin(), found.end());
    result.checked = int(answers.size()) - outsideDocuments.load();
    for (const char hit : answers)
        result.found += hit ? 1 : 0;
    size_t position = 0;
    keepFound(result.nodes, answers, nodePlaces, position);
    return result;
}

void SearchJob::checkWords(const QString& path, const WordSearch& words, const IndexFilter* filter,
                           WordReading& reading) const
{
    reading.path = path;
    if (filter) {
        // The index knows the document as it is: it tells what a reading would.
        const IndexFilter::KnownWords known = filter->knownWords(path);
        reading.counts = known.counts;
        reading.length = known.length;
        reading.found = known.found;
        return;
    }
    const WordSearch::Reading read = words.read(path, &m_cancel);
    if (!read.readable) {
        reading.withoutText = read.withoutText;
        reading.length = -1; // not read: no part of the statistics
        return;
    }
    reading.counts = read.counts;
    reading.length = read.length;
    reading.found = read.found();
}

SearchRequest SearchJob::fragmentRequest(const SearchRequest& wordForms)
{
    SearchRequest fragment = wordForms;
    fragment.options = MatchOptions{false, false, true, false};
    fragment.citations = false;
    fragment.context = QString(wordForms.context).remove(u'"').simplified();
    return fragment;
}

QString SearchJob::trimmedContext(const QString& text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && text.at(start).unicode() <= 32)
        ++start;
    while (end > start && text.at(end - 1).unicode() <= 32)
        --end;
    return text.mid(start, end - start);
}
