#pragma once

#include "directorylisting.h"
#include "libraryscan.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

// One folder as a walk finds it on disk.
struct FolderListing
{
    bool identified = false; // false: not a folder one can look at
    FolderId id;
    bool pseudo = false; // on a pseudo file system (and on another device than its parent)
    DirectoryEntries entries;
    QStringList folderPaths; // of entries.folders
    // The nodes of its folders (not entered yet) and documents, in the order of entries.
    std::vector<ScanNode> nodes;
};

// The listings of the folders a walk is about to enter, made ahead on threads of their own:
// the file system is asked for the next folders while the walk makes the nodes of the last.
// The walk asks for the folders of each folder it enters, and takes each listing when it
// enters that folder; the last asked are made first (they are entered first). A listing
// nobody has begun is made by the walk itself. Only folders the walk asked for are listed:
// a web of links is never followed here.
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

    // folders: of one folder on device parentDevice, in the order the walk enters them.
    void request(const QStringList& folders, quint64 parentDevice);
    FolderListing take(const QString& folder, quint64 parentDevice);

private:
    struct Entry
    {
        quint64 parentDevice = 0;
        bool begun = false;
        bool done = false;
        FolderListing listing;
    };
    FolderListing list(const QString& folder, quint64 parentDevice) const;
    bool isWanted() const;
    void serve();

    const std::atomic<bool>* m_takeStamps;
    const std::atomic<bool>* m_stop;
    const bool m_ahead; // threads list ahead (set before they start)
    std::mutex m_mutex;
    std::condition_variable m_work;
    std::condition_variable m_done;
    std::deque<QString> m_queue; // the next to make at the front
    std::unordered_map<QString, Entry> m_entries;
    bool m_quit = false;
    int m_idle = 0;             // threads waiting for work
    Entry* m_awaited = nullptr; // the listing the walk waits for
    std::vector<std::thread> m_threads;
};
