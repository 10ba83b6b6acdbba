#include "librarysnapshot.h"

#include "directorylisting.h"
#include "documentlayout.h"

#include <algorithm>

namespace {

QByteArray below(const QByteArray& folder, QByteArrayView name)
{
    QByteArray path;
    Platform::joinNative(path, folder, name);
    return path;
}

QByteArray idBytes(const Platform::FolderId& id)
{
    return QByteArray::number(id.device) + ':' + QByteArray::number(id.inode);
}

} // namespace

LibrarySnapshot::~LibrarySnapshot() = default;

std::unique_ptr<LibrarySnapshot> LibrarySnapshot::take(const QString& folder,
                                                       const std::atomic<bool>* stop)
{
    std::unique_ptr<LibrarySnapshot> snapshot(new LibrarySnapshot);
    snapshot->m_root = folder;
    if (folder.isEmpty() || !Platform::folderId(folder, &snapshot->m_rootId))
        return nullptr;
    snapshot->m_folders.push_back(Folder{QString(), QString(), folder, QByteArray(), true, {}, {}});
    QSet<QByteArray> visited;
    if (!snapshot->walk(0, visited, stop) || (stop && stop->load(std::memory_order_relaxed)))
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
                     below(native, entries.nativeName(stamp)), stamp.stamp, stamp.stamped});
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
                             const std::function<void(const ScannedDocument&)>& onDocument,
                             std::vector<ScanNode>* nodes, int* unreadable,
                             const std::atomic<bool>* stop) const
{
    Platform::FolderId now;
    if (!Platform::folderId(m_root, &now) || !(now == m_rootId))
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
        Folder fresh{old.name, old.caption, old.path, old.native, true, {}, {}};
        QStringList names;
        if (!listInto(path, old.native, &fresh, &names) ||
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
    int notRead = 0;
    replayFolder(0, changed, relisted, onDocument, nodes, &notRead, stop);
    if (unreadable)
        *unreadable += notRead;
    return true;
}

void LibrarySnapshot::replayFolder(size_t folder, const QHash<QString, size_t>& changed,
                                   const std::vector<Folder>& relisted,
                                   const std::function<void(const ScannedDocument&)>& onDocument,
                                   std::vector<ScanNode>* nodes, int* unreadable,
                                   const std::atomic<bool>* stop) const
{
    const auto fresh = changed.constFind(m_folders[folder].path);
    const Folder& record = fresh == changed.constEnd() ? m_folders[folder] : relisted[*fresh];
    if (!record.complete)
        ++*unreadable;
    const auto stopped = [stop] { return stop && stop->load(std::memory_order_relaxed); };
    nodes->reserve(record.folders.size() + record.documents.size());
    for (const size_t child : record.folders) {
        if (stopped())
            return;
        ScanNode node{true, m_folders[child].caption, m_folders[child].path, {}};
        replayFolder(child, changed, relisted, onDocument, &node.children, unreadable, stop);
        nodes->push_back(std::move(node));
    }
    for (const Document& document : record.documents) {
        if (stopped())
            return;
        nodes->push_back(ScanNode{false, document.caption, document.path, {}});
        if (!onDocument)
            continue;
        // A link, or a file of several names, may be written through a name the watch does
        // not follow: its stamp is taken anew.
        const bool followed = document.stamp.linkInode == 0 && document.stamp.names == 1;
        if (document.stamped && !followed)
            onDocument(ScannedDocument(document.path, document.native, false, nullptr));
        else
            onDocument(ScannedDocument(document.path, document.native, true,
                                       document.stamped ? &document.stamp : nullptr));
    }
}
