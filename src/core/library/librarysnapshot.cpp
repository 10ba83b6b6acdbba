#include "library/librarysnapshot.h"

#include "library/directorylisting.h"
#include "library/documentlayout.h"

#include <algorithm>
#include <thread>

namespace {

QByteArray below(const QByteArray& folder, QByteArrayView name)
{
    QByteArray path;
    Platform::joinNative(path, folder, name);
    return path;
}

// Whether path still names the folder of id (not replaced, nothing mounted over it).
bool isStill(const QString& path, const Platform::FolderId& id)
{
    Platform::FolderId now;
    return Platform::folderId(path, &now) && now == id;
}

QByteArray idBytes(const Platform::FolderId& id)
{
    return QByteArray::number(id.device) + ':' + QByteArray::number(id.inode);
}

} // namespace

// The documents' stamps of every folder not listed anew, taken anew relative to the folder
// opened once. Each folder's are taken by whoever comes first: the thread that goes through
// them from the last, or the replay that needs them. A folder that is still the one kept but
// cannot be opened is unreadable, as a walk finds it. One replaced after it was looked at
// gives no stamps: its documents are read, as a walk that listed it just before would.
class LibrarySnapshot::FreshStamps
{
public:
    FreshStamps(const LibrarySnapshot& snapshot, const QHash<QString, size_t>& changed,
                const std::atomic<bool>* cancel)
        : m_snapshot(snapshot), m_changed(changed), m_cancel(cancel),
          m_states(snapshot.m_folders.size()), m_taken(snapshot.m_folders.size())
    {
    }
    // Whether every folder not listed anew is still the one kept, looked at by the threads
    // that call it together; true only once all are looked at.
    bool foldersAreKept()
    {
        const size_t count = m_snapshot.m_folders.size();
        for (size_t folder = m_nextCheck++; folder < count && m_kept; folder = m_nextCheck++) {
            const Folder& record = m_snapshot.m_folders[folder];
            if (!m_changed.contains(record.path) && !isStill(record.path, record.id))
                m_kept = false;
            // The other thread may wait for the last one, or for a folder not kept.
            if (m_checked.fetch_add(1) + 1 == count || !m_kept)
                m_checked.notify_all();
        }
        for (size_t checked = m_checked.load(); checked < count && m_kept;
             checked = m_checked.load())
            m_checked.wait(checked);
        return m_kept;
    }
    // The folders looked at first, then the stamps of each, from the last: the replay takes
    // them from the first, so the two meet only once.
    void takeAll()
    {
        if (!foldersAreKept())
            return;
        for (size_t folder = m_states.size(); folder-- > 0 && !isStopped();)
            claimAndTake(folder);
    }
    void stop() { m_stopped.store(true, std::memory_order_relaxed); }
    struct Taken
    {
        bool listable = true; // false: still the folder kept, but it cannot be opened now
        // By document: none where a document gave none.
        std::vector<std::optional<Platform::FileStamp>> stamps;
    };
    // What was found of a folder not listed anew.
    const Taken& of(size_t folder)
    {
        if (!claimAndTake(folder)) {
            // The other thread is at it: a folder's worth.
            for (char state = m_states[folder].load(std::memory_order_acquire); state != Done;
                 state = m_states[folder].load(std::memory_order_acquire))
                m_states[folder].wait(state, std::memory_order_acquire);
        }
        return m_taken[folder];
    }

private:
    enum State : char
    {
        Free,
        Taking,
        Done
    };
    bool isStopped() const
    {
        return m_stopped.load(std::memory_order_relaxed) ||
               (m_cancel && m_cancel->load(std::memory_order_relaxed));
    }
    // False when another has claimed it.
    bool claimAndTake(size_t folder)
    {
        char free = Free;
        if (!m_states[folder].compare_exchange_strong(free, Taking, std::memory_order_acq_rel))
            return false;
        const Folder& record = m_snapshot.m_folders[folder];
        if (!m_changed.contains(record.path)) {
            QList<QByteArray> names;
            names.reserve(qsizetype(record.documents.size()));
            // One that was no file one could look at (a folder named like a document, a link
            // to nothing) stays without a stamp: it is read.
            for (const Document& document : record.documents)
                names.append(document.stamped ? document.name : QByteArray());
            Taken& taken = m_taken[folder];
            if (!Platform::stampEntries(record.path, record.id, names, &taken.stamps)) {
                taken.stamps.assign(record.documents.size(), std::nullopt);
                taken.listable = !isStill(record.path, record.id);
            }
        }
        m_states[folder].store(Done, std::memory_order_release);
        m_states[folder].notify_all();
        return true;
    }

    const LibrarySnapshot& m_snapshot;
    const QHash<QString, size_t>& m_changed;
    const std::atomic<bool>* m_cancel;
    std::atomic<bool> m_stopped{false};
    std::atomic<size_t> m_nextCheck{0};
    std::atomic<size_t> m_checked{0};
    std::atomic<bool> m_kept{true};
    std::vector<std::atomic<char>> m_states;
    std::vector<Taken> m_taken;
};

LibrarySnapshot::~LibrarySnapshot() = default;

std::unique_ptr<LibrarySnapshot> LibrarySnapshot::take(const QString& folder,
                                                       const std::atomic<bool>* stop)
{
    std::unique_ptr<LibrarySnapshot> snapshot(new LibrarySnapshot);
    snapshot->m_root = folder;
    if (folder.isEmpty() || !Platform::folderId(folder, &snapshot->m_rootId))
        return nullptr;
    snapshot->m_folders.push_back(
        Folder{QString(), QString(), folder, QByteArray(), snapshot->m_rootId, true, {}, {}});
    QSet<QByteArray> visited;
    if (!snapshot->walk(0, visited, stop) || (stop && stop->load(std::memory_order_relaxed)))
        return nullptr;
    // The folder the watch was set on is the one kept (not one that replaced it meanwhile).
    if (!isStill(folder, snapshot->m_rootId))
        return nullptr;
    return snapshot;
}

bool LibrarySnapshot::listInto(const QString& path, const QByteArray& native, Folder* record,
                               QStringList* folderNames)
{
    const DirectoryEntries entries = DirectoryListing::list(path, true);
    if (entries.folderLinks)
        return false;
    record->complete = entries.complete;
    record->documents.clear();
    record->documents.reserve(size_t(entries.documents.size()));
    for (qsizetype i = 0; i < entries.documents.size(); ++i) {
        const QString& name = entries.documents.at(i);
        const DirectoryEntries::Stamp& stamp = entries.documentStamps.at(i);
        record->documents.push_back(
            Document{DocumentLayout::documentCaption(name), DocumentLayout::joinPath(path, name),
                     below(native, entries.nativeName(stamp)),
                     entries.nativeName(stamp).toByteArray(), stamp.stamp, stamp.stamped});
    }
    *folderNames = entries.folders;
    return true;
}

bool LibrarySnapshot::walk(size_t folder, QSet<QByteArray>& visited, const std::atomic<bool>* stop)
{
    if (stop && stop->load(std::memory_order_relaxed))
        return false;
    const QString path = m_folders[folder].path;
    const QByteArray native = m_folders[folder].native;
    // The watch is set before the folder is listed: what changes after the listing is told.
    Platform::FolderId id;
    if (!Platform::folderId(path, &id) || id.device != m_rootId.device ||
        visited.contains(idBytes(id)) || !m_watch.add(path))
        return false;
    visited.insert(idBytes(id));
    m_folders[folder].id = id;
    m_byPath.insert(path, folder);
    QStringList names;
    if (!listInto(path, native, &m_folders[folder], &names))
        return false;
    m_documents += int(m_folders[folder].documents.size());
    for (const QString& name : std::as_const(names)) {
        const size_t child = m_folders.size();
        m_folders.push_back(Folder{name,
                                   Platform::displayName(name),
                                   DocumentLayout::joinPath(path, name),
                                   below(native, Platform::toNativeBytes(name)),
                                   {},
                                   true,
                                   {},
                                   {}});
        m_folders[folder].folders.push_back(child);
        if (!walk(child, visited, stop))
            return false;
    }
    return true;
}

bool LibrarySnapshot::replay(const QStringList& changedFolders,
                             const std::function<void(ScannedDocument&)>& onDocument,
                             std::vector<ScanNode>* nodes, int* unreadable,
                             const std::atomic<bool>* stop) const
{
    if (!isStill(m_root, m_rootId))
        return false;
    // The folders reported changed, listed anew: their documents as they are now, their
    // folders those kept (perhaps listed in another order).
    QHash<QString, size_t> changed;
    std::vector<Folder> relisted;
    for (const QString& path : changedFolders) {
        const auto kept = m_byPath.constFind(path);
        if (kept == m_byPath.constEnd())
            return false;
        const Folder& old = m_folders[*kept];
        Folder fresh{old.name, old.caption, old.path, old.native, old.id, true, {}, {}};
        QStringList names;
        if (!isStill(path, old.id) || !listInto(path, old.native, &fresh, &names) ||
            size_t(names.size()) != old.folders.size())
            return false;
        for (const QString& name : std::as_const(names)) {
            const auto child = std::find_if(old.folders.begin(), old.folders.end(),
                                            [&](size_t c) { return m_folders[c].name == name; });
            if (child == old.folders.end())
                return false;
            fresh.folders.push_back(*child);
        }
        changed.insert(path, relisted.size());
        relisted.push_back(std::move(fresh));
    }
    // The stamps are taken on a thread of their own as the replay goes on; the replay takes
    // those of a folder itself when the thread has not begun them.
    FreshStamps stamps(*this, changed, stop);
    // Stopped and joined however the replay ends (what the search does with a document may
    // throw): what is not needed then is not stamped.
    struct Ahead
    {
        FreshStamps& stamps;
        std::thread thread;
        ~Ahead()
        {
            stamps.stop();
            thread.join();
        }
    } ahead{stamps, std::thread([&stamps] { stamps.takeAll(); })};
    // Nothing is given before every folder kept is known to be the one the watch follows
    // (whether each can still be listed is told with its stamps, before anything of it).
    if (!stamps.foldersAreKept())
        return false;
    int notRead = 0;
    replayFolder(0, changed, relisted, stamps, onDocument, nodes, &notRead, stop);
    if (unreadable)
        *unreadable += notRead;
    return true;
}

void LibrarySnapshot::replayFolder(size_t folder, const QHash<QString, size_t>& changed,
                                   const std::vector<Folder>& relisted, FreshStamps& stamps,
                                   const std::function<void(ScannedDocument&)>& onDocument,
                                   std::vector<ScanNode>* nodes, int* unreadable,
                                   const std::atomic<bool>* stop) const
{
    const auto fresh = changed.constFind(m_folders[folder].path);
    const bool listedAnew = fresh != changed.constEnd();
    const Folder& record = listedAnew ? relisted[*fresh] : m_folders[folder];
    // Stamped anew before anything of it is given: a folder that cannot be listed now is
    // unreadable, with nothing in it, as a walk finds it.
    const FreshStamps::Taken* anew = listedAnew || !onDocument ? nullptr : &stamps.of(folder);
    if (anew && !anew->listable) {
        ++*unreadable;
        return;
    }
    if (!record.complete)
        ++*unreadable;
    const auto stopped = [stop] { return stop && stop->load(std::memory_order_relaxed); };
    // Documents a search leaves out get no node: room is made for the folders alone then.
    nodes->reserve(record.folders.size() + (onDocument ? 0 : record.documents.size()));
    for (const size_t child : record.folders) {
        if (stopped())
            return;
        ScanNode node{true, m_folders[child].caption, m_folders[child].path, {}};
        replayFolder(child, changed, relisted, stamps, onDocument, &node.children, unreadable,
                     stop);
        nodes->push_back(std::move(node));
    }
    for (size_t i = 0; i < record.documents.size(); ++i) {
        if (stopped())
            return;
        const Document& document = record.documents[i];
        if (onDocument) {
            // Listed anew: stamped by the listing; otherwise stamped anew just now.
            const Platform::FileStamp* stamp =
                listedAnew ? (document.stamped ? &document.stamp : nullptr)
                           : (anew->stamps[i] ? &*anew->stamps[i] : nullptr);
            ScannedDocument scanned(document.path, document.native, true, stamp);
            onDocument(scanned);
            if (!scanned.isInTree())
                continue;
        }
        nodes->push_back(ScanNode{false, document.caption, document.path, {}});
    }
}
