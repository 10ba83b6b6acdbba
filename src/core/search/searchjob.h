#pragma once

#include "library/libraryscan.h"
#include "library/librarysnapshot.h"
#include "matching/matchoptions.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <future>
#include <memory>

class QThreadPool;

// A library folder whose walk the caller keeps while a watch follows it: a search replays
// the walk, with the folders reported changed since listed anew.
struct KnownLibrary
{
    std::shared_ptr<const LibrarySnapshot> snapshot;
    QStringList changedFolders;
};

// What a search looks through: folders to full depth, or one document alone.
struct SearchRequest
{
    QString context;
    // How the context is matched; the job runs with its effective() form.
    MatchOptions options;
    // Searched in turn, to full depth.
    QStringList folders;
    // When given (one per folder), each folder's findings go below a folder node of its own
    // with this caption; otherwise they are the top nodes of the result.
    QStringList folderCaptions;
    // When set, this document is checked alone and the folders are ignored.
    QString document;
    // The context is a designation (DesignationRule): the documents that cite it are found.
    bool citations = false;
    // A text-mode context of three characters or more is answered from each folder's index
    // where it has one: only the documents that can hold it, and those changed since the
    // index was written, are read.
    bool useIndex = false;
    // Folders of the request whose walk is kept (by folder): replayed instead of walked.
    QHash<QString, KnownLibrary> knownLibraries = {};
    // When set, only these documents of the folders are looked through (a search within the
    // documents another search found); the others are neither checked nor found.
    std::shared_ptr<const QSet<QString>> within = {};
};

// The findings: folders left without a found document are pruned, the rest is exactly what
// a one-thread scan in directory order keeps (folders first, then documents).
struct SearchResult
{
    std::vector<ScanNode> nodes;
    int checked = 0;
    int found = 0;
    int unreadable = 0;     // folders and documents that could not be read
    int withoutText = 0;    // PDF documents without text (scans): not looked through
    bool cancelled = false; // nothing of a cancelled run is kept
    // With useIndex: the folders whose index was used, and those without a usable one (read
    // whole by the scan).
    QStringList indexedFolders;
    QStringList unindexedFolders;
    // Folders whose kept walk could not be replayed (SearchRequest::knownLibraries): they were
    // walked.
    QStringList unreplayedFolders;
    // Word forms: each found document's relevance, higher first.
    QHash<QString, double> relevance;
    // Word forms: the documents the same words would find as a fragment of text
    // (SearchJob::fragmentRequest), when that was searched too; -1 otherwise.
    int fragmentFound = -1;
};

// One search run. It may run on any thread (the window runs it under QtConcurrent and follows
// checkedCount); cancel() from any thread ends it within a chunk of the document being read.
// The folders are walked on the running thread while a shared pool checks the documents met.
class SearchJob final
{
public:
    explicit SearchJob(SearchRequest request);
    SearchJob(const SearchJob&) = delete;
    SearchJob& operator=(const SearchJob&) = delete;

    SearchResult run();
    void cancel() { m_cancel.store(true, std::memory_order_relaxed); }
    bool isCancelRequested() const { return m_cancel.load(std::memory_order_relaxed); }
    // Documents checked so far.
    int checkedCount() const { return m_checked.load(std::memory_order_relaxed); }
    const SearchRequest& request() const { return m_request; }
    // Called with each found document's path as soon as it is found, in no set order and from
    // the threads that check the documents (several at once): it must be safe to call from
    // any thread. A run cancelled afterwards keeps nothing, but what it reported stays
    // reported: the caller drops that too. Set it before run().
    void setFoundCallback(std::function<void(const QString&)> found) { m_found = std::move(found); }

    // The text of a context as the find box gives it: characters of code 32 or less removed
    // from both ends.
    static QString trimmedContext(const QString& text);
    // The search of a word-forms request's words as a fragment of text (text mode, quotes
    // left out), over the same folders or document; what a reader would try next when the
    // words in their forms find less.
    static SearchRequest fragmentRequest(const SearchRequest& wordForms);

private:
    // A document read by the word-forms search, for its relevance.
    struct WordReading
    {
        QString path;
        QList<int> counts;
        int length = 0; // -1 could not be read, -2 not read whole (it cannot be found)
        bool found = false;
        bool withoutText = false;
    };
    struct FolderResult
    {
        std::vector<ScanNode> nodes;
        int checked = 0;
        int found = 0;
        int unreadable = 0;
        int withoutText = 0;
        std::vector<WordReading> words;
        std::unique_ptr<class IndexFilter> filter; // the folder's index, when one was asked
        bool unreplayed = false;                   // its kept walk could not be replayed
    };
    // filterMade, when valid, gives the folder's index, which tells which documents need not
    // be read.
    FolderResult searchFolder(const QString& dir, const class DocumentSearch& search,
                              std::future<std::unique_ptr<class IndexFilter>> filterMade,
                              const class WordSearch* words, const class CitationSearch* citations);
    static QThreadPool& checkPool();
    // filter: given when the index knows the document as it is (it then tells what a reading
    // would).
    void checkWords(const QString& path, const class WordSearch& words,
                    const class IndexFilter* filter, WordReading& reading) const;
    static QHash<QString, double> relevanceOf(const std::vector<WordReading>& readings,
                                              qsizetype groups);

    SearchRequest m_request;
    std::atomic<bool> m_cancel{false};
    std::atomic<int> m_checked{0};
    std::function<void(const QString&)> m_found;
};
