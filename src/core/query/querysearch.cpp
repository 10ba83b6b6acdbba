#include "query/querysearch.h"

#include "index/indexfilter.h"
#include "library/documentlayout.h"
#include "library/libraryscan.h"
#include "matching/documentsearch.h"
#include "matching/wordforms.h"
#include "matching/wordsearch.h"
#include "norms/designationrule.h"
#include "norms/documentheadings.h"
#include "norms/documentnorms.h"
#include "pdf/documentfile.h"
#include "search/searchjob.h"
#include "text/documenttext.h"

#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <future>
#include <iterator>
#include <limits>
#include <memory>
#include <optional>
#include <thread>

namespace {

using Set = QSet<QString>;

QString folded(QString text)
{
    text = text.toLower();
    text.replace(u'ё', u'е');
    return text;
}

// Every document of a query's scope, as the walk lists them. With the index, each document
// the walk met with what the index knows of it as it is now (its entry), asked once for every
// term.
struct Walk
{
    struct Met
    {
        QString path;
        qsizetype folder = 0; // of the request
        qsizetype entry = -1;
    };
    std::vector<ScanNode> nodes;
    QStringList order; // of the documents asked about (all, or those within)
    std::vector<Met> met;
    int unreadable = 0;
};

// known: by folder of the request, the index's stamps (none without the index).
Walk walkOf(const QuerySearch::Request& request,
            const std::vector<std::shared_ptr<IndexFilter>>& known)
{
    Walk walk;
    if (!request.document.isEmpty()) {
        ScanNode node;
        node.path = request.document;
        node.caption = QFileInfo(request.document).completeBaseName();
        walk.nodes.push_back(node);
        walk.order << node.path;
        return walk;
    }
    const std::atomic<bool> takeStamps{true};
    for (qsizetype f = 0; f < request.folders.size(); ++f) {
        const QString& folder = request.folders.at(f);
        const IndexFilter* stamps =
            std::size_t(f) < known.size() ? known[std::size_t(f)].get() : nullptr;
        const auto meet = [&walk, stamps, f](ScannedDocument& document) {
            walk.met.push_back({document.path(), f, stamps->knownEntry(document)});
        };
        std::vector<ScanNode> nodes =
            stamps ? LibraryScan::deep(folder, meet, request.cancel, &walk.unreadable, &takeStamps)
                   : LibraryScan::deep(folder, {}, request.cancel, &walk.unreadable);
        LibraryScan::forEachDocument(nodes, [&walk, &request](const ScanNode& node) {
            if (!request.within || request.within->contains(node.path))
                walk.order << node.path;
        });
        std::move(nodes.begin(), nodes.end(), std::back_inserter(walk.nodes));
    }
    return walk;
}

class Evaluator
{
public:
    // The walk of the scope runs beside the terms' searches: most queries need it only for
    // the order and the tree of what they found.
    explicit Evaluator(const QuerySearch::Request& request) : m_request(request)
    {
        // Text-mode terms and the candidates of a prefix are asked of the index.
        if (request.useIndex && request.document.isEmpty()) {
            for (const QString& folder : request.folders)
                m_known.push_back(std::make_shared<IndexFilter>(folder, IndexFilter::Stamps::Only));
        }
        m_walking = std::async(std::launch::async, [this] { return walkOf(m_request, m_known); });
    }

    QuerySearch::Result run()
    {
        QuerySearch::Result result;
        const Set found = evaluate(m_request.query.root(), nullptr);
        Walk& walked = walk();
        result.documents = int(walked.order.size());
        result.unreadable = std::max(m_unreadable, walked.unreadable);
        result.cancelled = cancelled();
        if (result.cancelled)
            return result;
        for (const QString& path : std::as_const(walked.order))
            if (found.contains(path))
                result.found << path;
        keepFound(walked.nodes, found);
        LibraryScan::pruneEmptyFolders(walked.nodes);
        result.nodes = std::move(walked.nodes);
        return result;
    }

private:
    static void keepFound(std::vector<ScanNode>& nodes, const Set& found)
    {
        nodes.erase(std::remove_if(nodes.begin(), nodes.end(),
                                   [&found](ScanNode& node) {
                                       if (node.isFolder) {
                                           keepFound(node.children, found);
                                           return false;
                                       }
                                       return !found.contains(node.path);
                                   }),
                    nodes.end());
    }

    bool cancelled() const { return m_request.cancel && m_request.cancel->load(); }

    Walk& walk()
    {
        if (!m_walk)
            m_walk = m_walking.get();
        return *m_walk;
    }

    const Set& all()
    {
        if (!m_all)
            m_all = Set(walk().order.begin(), walk().order.end());
        return *m_all;
    }

    QString captionOf(const QString& path)
    {
        if (!m_captions) {
            m_captions.emplace();
            LibraryScan::forEachDocument(walk().nodes, [this](const ScanNode& node) {
                m_captions->insert(node.path, node.caption);
            });
        }
        return m_captions->value(path);
    }

    // Whether the index is asked for a search by these options (in a text-mode search).
    bool isIndexed(const MatchOptions& asked) const
    {
        const MatchOptions options = asked.effective();
        return m_request.useIndex && m_request.document.isEmpty() && options.textMode &&
               !options.wordForms;
    }

    // The folder of the request a document lies in.
    QString rootOf(const QString& path) const
    {
        for (const QString& folder : m_request.folders)
            if (path.startsWith(DocumentLayout::joinPath(folder, QString())))
                return folder;
        return QFileInfo(path).path();
    }

    // The documents of node, among within when it is given.
    Set evaluate(const QueryNode& node, const Set* within)
    {
        if (cancelled())
            return {};
        switch (node.kind) {
        case QueryNode::Kind::Term:
            return term(node, within);
        case QueryNode::Kind::Not: {
            Set all = within ? *within : this->all();
            all.subtract(evaluate(node.children.front(), &all));
            return all;
        }
        case QueryNode::Kind::Or: {
            if (!within)
                searchAtOnce(node.children);
            Set any;
            for (const QueryNode& child : node.children)
                any.unite(evaluate(child, within));
            return any;
        }
        case QueryNode::Kind::And:
            return allOf(node.children, within);
        case QueryNode::Kind::Near: {
            Set candidates = allOf(node.children, within);
            Set near;
            for (const QString& path : std::as_const(candidates))
                if (isNear(node, path))
                    near.insert(path);
            return near;
        }
        }
        return {};
    }

    // Terms the sets decide first, then what is checked by reading, each on fewer documents.
    Set allOf(const std::vector<QueryNode>& children, const Set* within)
    {
        std::vector<const QueryNode*> order;
        order.reserve(children.size());
        for (const QueryNode& child : children)
            order.push_back(&child);
        const auto rank = [](const QueryNode* node) {
            if (node->kind == QueryNode::Kind::Term && node->field == QueryNode::Field::Text &&
                !node->prefix)
                return 0;
            if (node->kind == QueryNode::Kind::Not)
                return 3;
            return node->kind == QueryNode::Kind::Term ? 1 : 2;
        };
        // Of the terms the sets decide, the rarest first: the others are then looked for only
        // in the documents it leaves.
        QHash<const QueryNode*, qsizetype> likely;
        if (!within)
            for (const QueryNode* child : order)
                if (rank(child) == 0)
                    likely.insert(child, likelyCount(*child));
        std::stable_sort(order.begin(), order.end(),
                         [&rank, &likely](const QueryNode* a, const QueryNode* b) {
                             if (rank(a) != rank(b))
                                 return rank(a) < rank(b);
                             return likely.value(a) < likely.value(b);
                         });
        std::optional<Set> left;
        if (within)
            left = *within;
        for (const QueryNode* child : order) {
            left = evaluate(*child, left ? &*left : nullptr);
            if (left->isEmpty())
                break;
        }
        return left.value_or(Set());
    }

    Set term(const QueryNode& node, const Set* within)
    {
        if (node.field != QueryNode::Field::Text || node.prefix) {
            // Checked on each document by reading it; the prefix's candidates come from its
            // letters as a fragment of text.
            Set candidates = within ? *within : all();
            if (node.prefix)
                candidates = searched(node.text, textOptions(), within);
            Set kept;
            for (const QString& path : std::as_const(candidates))
                if (holds(node, path))
                    kept.insert(path);
            return kept;
        }
        return searched(contextOf(node), m_request.options, within);
    }

    MatchOptions textOptions() const
    {
        MatchOptions options = m_request.options;
        options.wordForms = false;
        options.textMode = true;
        options.wholeWords = false;
        return options;
    }

    // How many documents may hold a term, as the index tells it before any is read (every
    // document where it cannot tell).
    qsizetype likelyCount(const QueryNode& term)
    {
        const MatchOptions options = m_request.options.effective();
        if (!m_request.useIndex || !options.textMode || options.wordForms)
            return std::numeric_limits<qsizetype>::max();
        qsizetype count = 0;
        for (const QString& folder : m_request.folders) {
            const IndexFilter* filter = filterOf(folder, term.text);
            if (filter->candidateCount() < 0)
                return std::numeric_limits<qsizetype>::max();
            count += filter->candidateCount();
        }
        return count;
    }

    const IndexFilter* filterOf(const QString& folder, const QString& context)
    {
        const QString key = folder + QChar(0) + context;
        auto kept = m_filters.find(key);
        if (kept == m_filters.end())
            kept = m_filters.insert(key, std::make_shared<IndexFilter>(folder, context));
        return kept->get();
    }

    // The documents of within that hold a context, each read as the search reads it (where
    // the index knows one as it is and it cannot hold the context, it is not read). The
    // documents are read on several threads.
    Set searchedAmong(const QString& context, const MatchOptions& asked, const Set* within)
    {
        const MatchOptions options = asked.effective();
        std::vector<QString> toRead;
        if (isIndexed(options) && !m_known.empty()) {
            // Each document the walk met: the index, where it knows the document as it is,
            // says whether it may hold the context.
            std::vector<const IndexFilter*> filters;
            std::vector<char> shared;
            for (std::size_t f = 0; f < m_known.size(); ++f) {
                filters.push_back(filterOf(m_request.folders.at(qsizetype(f)), context));
                shared.push_back(filters.back()->sharesEntriesWith(*m_known[f]));
            }
            for (const Walk::Met& met : walk().met) {
                if (within ? !within->contains(met.path)
                           : m_request.within && !m_request.within->contains(met.path))
                    continue;
                const IndexFilter* filter = filters[std::size_t(met.folder)];
                const bool mustRead = filter->state() != IndexFilter::State::Used ||
                                      (shared[std::size_t(met.folder)]
                                           ? met.entry < 0 || filter->isCandidateEntry(met.entry)
                                           : filter->mustRead(met.path));
                if (mustRead)
                    toRead.push_back(met.path);
            }
        } else {
            const Set& among = within ? *within : all();
            toRead.assign(among.begin(), among.end());
        }
        const DocumentSearch search(context, options);
        std::unique_ptr<WordSearch> words;
        if (options.wordForms)
            words = std::make_unique<WordSearch>(context);
        std::vector<char> holds(toRead.size(), 0);
        std::atomic<std::size_t> next{0};
        std::atomic<int> unreadable{0};
        const auto read = [&] {
            for (std::size_t i = next++; i < toRead.size() && !cancelled(); i = next++) {
                bool failed = false;
                if (words) {
                    const WordSearch::Reading reading = words->read(toRead[i], m_request.cancel);
                    holds[i] = reading.found();
                    failed = !reading.readable && !reading.withoutText;
                } else {
                    bool withoutText = false;
                    holds[i] = search.contains(toRead[i], m_request.cancel, &failed, &withoutText);
                }
                if (failed)
                    ++unreadable;
            }
        };
        const int threads = std::clamp(QThread::idealThreadCount(), 1, 8);
        std::vector<std::future<void>> helpers;
        for (int t = 1; t < threads && std::size_t(t) < toRead.size(); ++t)
            helpers.push_back(std::async(std::launch::async, read));
        read();
        for (std::future<void>& helper : helpers)
            helper.get();
        m_unreadable = std::max(m_unreadable, unreadable.load());
        Set found;
        for (std::size_t i = 0; i < toRead.size(); ++i)
            if (holds[i])
                found.insert(toRead[i]);
        return found;
    }

    // The documents a context's search finds, as the search finds them: in the whole scope
    // by the search itself, among within by reading those.
    Set searched(const QString& context, const MatchOptions& options, const Set* within)
    {
        const QString key = keyOf(context, options);
        auto found = m_searched.find(key);
        if (found == m_searched.end() && within)
            return searchedAmong(context, options, within);
        if (found == m_searched.end()) {
            // With the index, every term is asked about the documents of one walk; without
            // it, each term's search reads them all anyway.
            Searched answer = isIndexed(options)
                                  ? Searched{searchedAmong(context, options, nullptr), 0}
                                  : searchedWhole(context, options);
            m_unreadable = std::max(m_unreadable, answer.unreadable);
            found = m_searched.insert(key, answer.found);
        }
        if (!within)
            return *found;
        Set kept = *found;
        kept.intersect(*within);
        return kept;
    }

    static QString keyOf(const QString& context, const MatchOptions& options)
    {
        return context + QChar(0) + QString::number(options.wordForms) +
               QString::number(options.textMode) + QString::number(options.caseSensitive) +
               QString::number(options.wholeWords);
    }

    struct Searched
    {
        Set found;
        int unreadable = 0;
    };
    // A context searched in the whole scope by the search itself; a cancelled query stops it.
    Searched searchedWhole(const QString& context, const MatchOptions& options) const
    {
        SearchRequest request;
        request.context = context;
        request.options = options;
        request.folders = m_request.folders;
        request.document = m_request.document;
        request.useIndex = m_request.useIndex;
        request.within = m_request.within;
        SearchJob job(request);
        std::atomic<bool> done{false};
        std::future<void> watch;
        if (m_request.cancel) {
            watch = std::async(std::launch::async, [&] {
                while (!done.load()) {
                    if (cancelled()) {
                        job.cancel();
                        return;
                    }
                    std::this_thread::sleep_for(std::chrono::milliseconds(20));
                }
            });
        }
        const SearchResult result = job.run();
        done = true;
        if (watch.valid())
            watch.get();
        Searched answer;
        LibraryScan::forEachDocument(
            result.nodes, [&answer](const ScanNode& node) { answer.found.insert(node.path); });
        answer.unreadable = result.unreadable;
        return answer;
    }

    // The terms of an OR that its sets decide are searched at the same time: each search
    // waits on its reading and its walk much of its time.
    void searchAtOnce(const std::vector<QueryNode>& terms)
    {
        if (isIndexed(m_request.options))
            return;
        std::vector<std::pair<QString, std::future<Searched>>> running;
        for (const QueryNode& term : terms) {
            if (term.kind != QueryNode::Kind::Term || term.field != QueryNode::Field::Text ||
                term.prefix)
                continue;
            const QString context = contextOf(term);
            const QString key = keyOf(context, m_request.options);
            if (m_searched.contains(key) ||
                std::any_of(running.begin(), running.end(),
                            [&key](const auto& run) { return run.first == key; }))
                continue;
            running.emplace_back(key, std::async(std::launch::async, [this, context] {
                                     return searchedWhole(context, m_request.options);
                                 }));
        }
        for (auto& [key, answer] : running) {
            Searched searched = answer.get();
            m_unreadable = std::max(m_unreadable, searched.unreadable);
            m_searched.insert(key, searched.found);
        }
    }

    QString contextOf(const QueryNode& term) const
    {
        if (term.quoted && m_request.options.wordForms)
            return u'"' + term.text + u'"';
        return term.text;
    }

    // The text of a document as the reader sees it; empty when it cannot be read.
    QString textOf(const QString& path)
    {
        const auto kept = m_texts.constFind(path);
        if (kept != m_texts.constEnd())
            return *kept;
        DocumentFile file(path, m_request.cancel);
        QByteArray bytes;
        QString text;
        if (file.isOpen() && file.readRest(bytes))
            text = DocumentText(bytes).text();
        // Only the latest few are kept: a query reads each document for a few checks.
        if (m_texts.size() > 64)
            m_texts.clear();
        m_texts.insert(path, text);
        return text;
    }

    QByteArray headOf(const QString& path)
    {
        DocumentFile file(path, m_request.cancel);
        QByteArray bytes(DocumentHeadings::HeadWindow, Qt::Uninitialized);
        const qsizetype read = file.isOpen() ? file.readFull(bytes.data(), bytes.size()) : -1;
        bytes.resize(std::max<qsizetype>(0, read));
        return bytes;
    }

    bool holds(const QueryNode& node, const QString& path)
    {
        const QString value = folded(node.text.simplified());
        switch (node.field) {
        case QueryNode::Field::Text: {
            // A word beginning so.
            const QString text = folded(textOf(path));
            for (qsizetype at = text.indexOf(value); at >= 0; at = text.indexOf(value, at + 1))
                if (at == 0 || !text[at - 1].isLetterOrNumber())
                    return true;
            return false;
        }
        case QueryNode::Field::Folder: {
            const QString root = rootOf(path);
            const QStringList folders = path.mid(root.size()).split(u'/', Qt::SkipEmptyParts);
            for (qsizetype i = 0; i + 1 < folders.size(); ++i)
                if (folded(folders[i]).contains(value))
                    return true;
            return false;
        }
        case QueryNode::Field::Title: {
            const QString fileName = path.mid(path.lastIndexOf(u'/') + 1);
            if (folded(captionOf(path)).contains(value) || folded(fileName).contains(value))
                return true;
            const DocumentHeadings headings = DocumentHeadings::read(headOf(path));
            return folded(headings.title.simplified()).contains(value) ||
                   folded(headings.heading.simplified()).contains(value);
        }
        case QueryNode::Field::Designation: {
            const Designation asked = DesignationRule::parse(node.text);
            const std::optional<DocumentNorms> norms =
                DocumentNorms::ofFile(path, {DocumentNorms::fileNameOf(path)}, m_request.cancel);
            if (!norms)
                return false;
            for (const Designation& own : norms->own()) {
                if (!asked.kind.isEmpty() ? own.key() == asked.key() &&
                                                (asked.edition == 0 || own.edition == asked.edition)
                                          : folded(own.text()).contains(value))
                    return true;
            }
            return false;
        }
        }
        return false;
    }

    // Where each term stands in the text, as words: [first, last] of each occurrence.
    using Places = std::vector<std::pair<int, int>>;

    Places placesOf(const QueryNode& term, const QString& text,
                    const std::vector<qsizetype>& starts, const std::vector<WordForms::Word>& words)
    {
        Places places;
        if (m_request.options.wordForms) {
            const std::vector<WordForms::Word> asked = WordForms::words(term.text, true);
            if (asked.empty())
                return places;
            for (int w = 0; w + int(asked.size()) <= int(words.size()); ++w) {
                bool all = true;
                for (std::size_t a = 0; a < asked.size() && all; ++a) {
                    const QStringList& keys = words[std::size_t(w) + a].keys;
                    all = std::any_of(asked[a].keys.begin(), asked[a].keys.end(),
                                      [&keys](const QString& key) { return keys.contains(key); });
                }
                if (all)
                    places.emplace_back(w, w + int(asked.size()) - 1);
            }
            return places;
        }
        const Qt::CaseSensitivity cs =
            m_request.options.caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive;
        const QString asked = term.text.simplified();
        if (asked.isEmpty())
            return places;
        const auto wordAt = [&starts](qsizetype at) {
            return int(std::upper_bound(starts.begin(), starts.end(), at) - starts.begin()) - 1;
        };
        for (qsizetype at = text.indexOf(asked, 0, cs); at >= 0;
             at = text.indexOf(asked, at + 1, cs))
            places.emplace_back(std::max(0, wordAt(at)),
                                std::max(0, wordAt(at + asked.size() - 1)));
        return places;
    }

    // Whether one occurrence of each term stands within the distance of the others: at most
    // distance words between each two in the row, in any order.
    bool isNear(const QueryNode& node, const QString& path)
    {
        const QString text = textOf(path).simplified();
        std::vector<qsizetype> starts;
        for (qsizetype i = 0; i < text.size(); ++i)
            if (text[i].isLetterOrNumber() && (i == 0 || !text[i - 1].isLetterOrNumber()))
                starts.push_back(i);
        const std::vector<WordForms::Word> words =
            m_request.options.wordForms ? WordForms::words(text) : std::vector<WordForms::Word>();
        struct Place
        {
            int first;
            int last;
            int term;
        };
        std::vector<Place> all;
        const int terms = int(node.children.size());
        for (int t = 0; t < terms; ++t) {
            const QueryNode& child = node.children[std::size_t(t)];
            // A phrase of several words (an And of words in word forms) stands as its words.
            QueryNode term = child;
            if (child.kind == QueryNode::Kind::And) {
                QStringList parts;
                for (const QueryNode& word : child.children)
                    parts << word.text;
                term.kind = QueryNode::Kind::Term;
                term.text = parts.join(u' ');
            }
            const Places places = placesOf(term, text, starts, words);
            if (places.empty())
                return false;
            for (const auto& [first, last] : places)
                all.push_back({first, last, t});
        }
        std::sort(all.begin(), all.end(),
                  [](const Place& a, const Place& b) { return a.first < b.first; });
        // The shortest run of places that holds every term; the words in it not of its terms.
        std::vector<int> counts(std::size_t(terms), 0);
        int held = 0;
        std::size_t from = 0;
        for (std::size_t to = 0; to < all.size(); ++to) {
            if (counts[std::size_t(all[to].term)]++ == 0)
                ++held;
            while (held == terms) {
                int covered = 0;
                int end = all[from].first - 1;
                int last = all[from].last;
                for (std::size_t p = from; p <= to; ++p) {
                    covered += std::max(0, all[p].last - std::max(all[p].first - 1, end));
                    end = std::max(end, all[p].last);
                    last = std::max(last, all[p].last);
                }
                const int between = (last - all[from].first + 1) - covered;
                if (between <= node.distance * (terms - 1))
                    return true;
                if (--counts[std::size_t(all[from].term)] == 0)
                    --held;
                ++from;
            }
        }
        return false;
    }

    const QuerySearch::Request& m_request;
    std::vector<std::shared_ptr<IndexFilter>> m_known; // by folder: the index's stamps
    std::future<Walk> m_walking;
    std::optional<Walk> m_walk;
    std::optional<Set> m_all;
    std::optional<QHash<QString, QString>> m_captions;
    QHash<QString, Set> m_searched;                         // of the whole scope
    QHash<QString, std::shared_ptr<IndexFilter>> m_filters; // by folder and context
    QHash<QString, QString> m_texts;
    int m_unreadable = 0;
};

} // namespace

QuerySearch::Result QuerySearch::run(const Request& request)
{
    return Evaluator(request).run();
}
