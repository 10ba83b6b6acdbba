#pragma once

#include "library/directorylisting.h"
#include "library/libraryscan.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <vector>

// One folder as a walk finds it on disk.
struct FolderListing
{
    bool identified = false; // false: not a folder one can look at
    FolderId id;
    bool pseudo = false; // on a pseudo file system (and on another device than its parent)
    DirectoryEntries entries;
    QStringList folderPaths; // of entries.folders
    // The nodes of its folders (not entered yet), in the order of entries (a document's node
    // is made by the walk once it knows the document is kept).
    std::vector<ScanNode> nodes;
};

// The listings of the folders a walk is about to enter, made ahead on threads of their own: the
// file system is asked for the next folders while the walk makes the nodes of the last. The walk
// asks for the folders of each folder it enters, and takes each listing when it enters that folder;
// the last asked are made first (they are entered first). A thread that has listed a folder goes on
// with its folders in the walk's order without waiting to be asked; through a link it goes only
// where the walk asks. Listings made and not taken yet stay within MostReady (and one more for each
// thread and for the walk). A listing nobody has begun is made by the walk itself, and a walk that
// would wait for a listing begun elsewhere makes the next one asked for instead. A web of links is
// never followed here: a folder met twice is not run ahead into.
class ListingPrefetch final
{
public:
    // takeStamps: while it is set, the documents' stamps are taken and folders listed ahead;
    // once it is not, no more (it is not set again).
    ListingPrefetch(const std::atomic<bool>* takeStamps, const std::atomic<bool>* stop,
                    int threads = 2);
    ~ListingPrefetch();
    ListingPrefetch(const ListingPrefetch&) = delete;
    ListingPrefetch& operator=(const ListingPrefetch&) = delete;

    // Listings made ahead and not taken yet, at most (a few kilobytes each; they wait while
    // the walk waits for an index to be read).
    static constexpr int MostReady = 1024;

    // folders: of one folder on device parentDevice, in the order the walk enters them;
    // throughLinks: some of them are links.
    void request(const QStringList& folders, quint64 parentDevice, bool throughLinks);
    FolderListing take(const QString& folder, quint64 parentDevice);

private:
    struct Entry
    {
        quint64 parentDevice = 0;
        bool mayRunAhead = false; // a real folder, reached through none
        bool begun = false;
        bool done = false;
        FolderListing listing;
    };
    struct FolderIdHash
    {
        size_t operator()(const FolderId& id) const
        {
            return std::hash<quint64>{}(id.inode) ^ (std::hash<quint64>{}(id.device) << 1);
        }
    };
    FolderListing list(const QString& folder, quint64 parentDevice) const;
    bool isWanted() const;
    // Puts folders at the front of the queue, in order; the number put.
    int queue(const QStringList& folders, quint64 parentDevice, bool mayRunAhead);
    // Makes the next listing queued (lock held on entry and on return); false when none is.
    bool makeNext(std::unique_lock<std::mutex>& lock);
    void serve();

    const std::atomic<bool>* m_takeStamps;
    const std::atomic<bool>* m_stop;
    const bool m_ahead; // threads list ahead (set before they start)
    std::mutex m_mutex;
    std::condition_variable m_work;
    std::condition_variable m_done;
    std::deque<QString> m_queue; // the next to make at the front
    std::unordered_map<QString, Entry> m_entries;
    std::unordered_set<FolderId, FolderIdHash> m_runAhead; // folders whose folders were queued
    int m_ready = 0;                                       // listings made and not taken
    bool m_quit = false;
    int m_idle = 0;             // threads waiting for work
    Entry* m_awaited = nullptr; // the listing the walk waits for
    std::vector<std::thread> m_threads;
};
