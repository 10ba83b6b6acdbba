#include "library/listingprefetch.h"

#include "library/documentlayout.h"

ListingPrefetch::ListingPrefetch(const std::atomic<bool>* takeStamps, const std::atomic<bool>* stop,
                                 int threads)
    : m_takeStamps(takeStamps), m_stop(stop), m_ahead(threads > 0)
{
    for (int i = 0; i < threads; ++i)
        m_threads.emplace_back([this] { serve(); });
}

ListingPrefetch::~ListingPrefetch()
{
    {
        const std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_work.notify_all();
    for (std::thread& thread : m_threads)
        thread.join();
}

bool ListingPrefetch::isWanted() const
{
    return m_ahead && m_takeStamps && m_takeStamps->load(std::memory_order_relaxed);
}

int ListingPrefetch::queue(const QStringList& folders, quint64 parentDevice, bool mayRunAhead)
{
    int queued = 0;
    for (auto folder = folders.crbegin(); folder != folders.crend(); ++folder) {
        if (m_entries.try_emplace(*folder, Entry{parentDevice, mayRunAhead, false, false, {}})
                .second) {
            m_queue.push_front(*folder);
            ++queued;
        }
    }
    return queued;
}

void ListingPrefetch::request(const QStringList& folders, quint64 parentDevice, bool throughLinks)
{
    if (!isWanted())
        return; // the walk lists each folder itself
    // Threads are woken only when they sleep: every wake-up costs a switch of tasks.
    int idle = 0;
    int queued = 0;
    {
        const std::lock_guard lock(m_mutex);
        queued = queue(folders, parentDevice, !throughLinks);
        idle = m_idle;
    }
    if (idle > 1 && queued > 1)
        m_work.notify_all();
    else if (idle > 0 && queued > 0)
        m_work.notify_one();
}

FolderListing ListingPrefetch::take(const QString& folder, quint64 parentDevice)
{
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            const auto entry = m_entries.find(folder);
            if (entry == m_entries.end())
                break;
            if (!entry->second.begun) {
                // Made here (it stays queued, and is passed over when its turn comes).
                m_entries.erase(entry);
                break;
            }
            if (entry->second.done) {
                FolderListing listing = std::move(entry->second.listing);
                m_entries.erase(entry);
                // A thread held back by the bound may go on.
                if (m_ready-- == MostReady && m_idle > 0 && !m_queue.empty())
                    m_work.notify_one();
                return listing;
            }
            // Begun elsewhere: rather than sleep (a switch of tasks each time), the walk makes
            // the next listing; it waits only when there is none.
            if (makeNext(lock))
                continue;
            // By reference: other entries may be added meanwhile, which moves no element.
            Entry& awaited = entry->second;
            m_awaited = &awaited;
            m_done.wait(lock, [&awaited] { return awaited.done; });
            m_awaited = nullptr;
        }
    }
    FolderListing listing = list(folder, parentDevice);
    if (listing.identified && isWanted()) {
        // Listed by the walk: no thread runs ahead into it again.
        const std::lock_guard lock(m_mutex);
        m_runAhead.insert(listing.id);
    }
    return listing;
}

bool ListingPrefetch::makeNext(std::unique_lock<std::mutex>& lock)
{
    while (!m_queue.empty()) {
        const QString folder = std::move(m_queue.front());
        m_queue.pop_front();
        const auto found = m_entries.find(folder);
        if (found == m_entries.end() || found->second.begun)
            continue; // taken by the walk already
        // Elements stay where they are while others are added: the entry is kept by address,
        // and only the walk erases a begun one, once it is done.
        Entry& entry = found->second;
        entry.begun = true;
        lock.unlock();
        FolderListing listing = list(folder, entry.parentDevice);
        lock.lock();
        // Its folders are queued at once, unless it was met before (listed ahead or by the
        // walk itself) or is reached through a link, or leads through one: those are entered
        // only as the walk asks.
        int queued = 0;
        if (entry.mayRunAhead && listing.identified && !listing.pseudo &&
            !listing.entries.folderLinks && m_ready < MostReady && isWanted() &&
            m_runAhead.insert(listing.id).second)
            queued = queue(listing.folderPaths, listing.id.device, true);
        entry.listing = std::move(listing);
        entry.done = true;
        ++m_ready;
        if (m_awaited == &entry)
            m_done.notify_one();
        if (queued > 1 && m_idle > 0)
            m_work.notify_one();
        return true;
    }
    return false;
}

FolderListing ListingPrefetch::list(const QString& folder, quint64 parentDevice) const
{
    FolderListing listing;
    if (m_stop && m_stop->load(std::memory_order_relaxed))
        return listing;
    // The folder's identity is taken from the folder as it is opened to be listed (one look
    // up its path, not two); only a mount point can lead onto another file system.
    const auto identify = [&](const FolderId& id) {
        listing.identified = true;
        listing.id = id;
        listing.pseudo = id.device != parentDevice && Platform::isPseudoFileSystem(folder);
        return !listing.pseudo;
    };
    DirectoryEntries entries = DirectoryListing::list(
        folder, m_takeStamps && m_takeStamps->load(std::memory_order_relaxed), identify);
    if (!listing.identified) {
        // Not opened (no right to list it, say): known by its path, with nothing in it.
        FolderId id;
        if (!DirectoryListing::folderId(folder, &id) || !identify(id))
            return listing;
        entries = DirectoryEntries();
        entries.complete = false;
    }
    if (listing.pseudo)
        return listing;
    listing.entries = std::move(entries);
    listing.nodes.reserve(size_t(listing.entries.folders.size()));
    for (const QString& name : std::as_const(listing.entries.folders)) {
        listing.folderPaths.append(DocumentLayout::joinPath(folder, name));
        listing.nodes.push_back(
            ScanNode{true, Platform::displayName(name), listing.folderPaths.back(), {}});
    }
    return listing;
}

void ListingPrefetch::serve()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        ++m_idle;
        // Held back while the walk has many listings made ahead still to take.
        m_work.wait(lock, [this] { return m_quit || (!m_queue.empty() && m_ready < MostReady); });
        --m_idle;
        // Once no stamps are wanted (the index is not asked after all), the walk is a scan's:
        // it lists each folder itself while the other threads read.
        if (m_quit || !isWanted())
            return;
        makeNext(lock);
    }
}
