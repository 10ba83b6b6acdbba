#include "librarysnapshot.h"

#include "directorylisting.h"
#include "documentlayout.h"

#include <algorithm>
#include <thread>

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
    snapshot->m_folders.push_back(
        Folder{QString(), QString(), folder, QByteArray(), snapshot->m_rootId, true, {}, {}});
    QSet<QByteArray> visited;
    if (!snapshot->walk(0, visited, stop) || (stop && stop->load(std::memory_order_relaxed)))
        return nullptr;
    // The folder the watch was set on is the one kept (not one that replaced it meanwhile).
    Platform::FolderId now;
    if (!Platform::folderId(folder, &now) || !(now == snapshot->m_rootId))
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
        Folder fresh{old.name, old.caption, old.path, old.native, old.id, true, {}, {}};
        QStringList names;
        Platform::FolderId id;
        if (!Platform::folderId(path, &id) || !(id == old.id) ||
            !listInto(path, old.native, &fresh, &names) ||
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
    std::vector<std::vector<std::optional<Platform::FileStamp>>> stamps;
    if (!stampAnew(changed, &stamps))
        return false;
    int notRead = 0;
    replayFolder(0, changed, relisted, stamps, onDocument, nodes, &notRead, stop);
    if (unreadable)
        *unreadable += notRead;
    return true;
}

bool LibrarySnapshot::stampAnew(
    const QHash<QString, size_t>& changed,
    std::vector<std::vector<std::optional<Platform::FileStamp>>>* stamps) const
{
    stamps->assign(m_folders.size(), {});
    std::atomic<size_t> next{0};
    std::atomic<bool> same{true};
    const auto work = [&] {
        for (size_t folder = next++; folder < m_folders.size() && same; folder = next++) {
            const Folder& record = m_folders[folder];
            if (changed.contains(record.path))
                continue; // listed anew
            QList<QByteArray> names;
            names.reserve(qsizetype(record.documents.size()));
            // One that was no file one could look at (a folder named like a document, a link
            // to nothing) stays without a stamp: it is read.
            for (const Document& document : record.documents)
                names.append(document.stamped ? document.name : QByteArray());
            if (!Platform::stampEntries(record.path, record.id, names, &(*stamps)[folder]))
                same = false;
        }
    };
    std::thread helper(work);
    work();
    helper.join();
    return same;
}

void LibrarySnapshot::replayFolder(
    size_t folder, const QHash<QString, size_t>& changed, const std::vector<Folder>& relisted,
    const std::vector<std::vector<std::optional<Platform::FileStamp>>>& stamps,
    const std::function<void(ScannedDocument&)>& onDocument, std::vector<ScanNode>* nodes,
    int* unreadable, const std::atomic<bool>* stop) const
{
    const auto fresh = changed.constFind(m_folders[folder].path);
    const Folder& record = fresh == changed.constEnd() ? m_folders[folder] : relisted[*fresh];
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
    const bool listedAnew = fresh != changed.constEnd();
    for (size_t i = 0; i < record.documents.size(); ++i) {
        if (stopped())
            return;
        const Document& document = record.documents[i];
        if (onDocument) {
            // Listed anew: stamped by the listing; otherwise stamped anew just now.
            const Platform::FileStamp* stamp =
                listedAnew ? (document.stamped ? &document.stamp : nullptr)
                           : (stamps[folder][i] ? &*stamps[folder][i] : nullptr);
            ScannedDocument scanned(document.path, document.native, true, stamp);
            onDocument(scanned);
            if (!scanned.isInTree())
                continue;
        }
        nodes->push_back(ScanNode{false, document.caption, document.path, {}});
    }
}
