#include "library/libraryscan.h"

#include "library/directorylisting.h"
#include "library/documentlayout.h"
#include "library/listingprefetch.h"

#include "platform/platform.h"

#include <QDir>
#include <QFileInfo>

#include <filesystem>
#include <unordered_set>

namespace {

using DocumentCallback = std::function<void(ScannedDocument&)>;

struct FolderIdHash
{
    size_t operator()(const FolderId& id) const
    {
        return std::hash<quint64>{}(id.inode) ^ (std::hash<quint64>{}(id.device) << 1);
    }
};

struct ScanState
{
    // Every real folder met by this walk (and those the walk's root lies in): a web of links
    // cannot make a folder be read twice, nor the walk take longer than the folders it holds.
    std::unordered_set<FolderId, FolderIdHash> visited;
    const DocumentCallback& onDocument;
    const std::atomic<bool>* stop;
    bool withNativePaths = false;
    int unreadable = 0;
    ListingPrefetch* listings = nullptr;
    QByteArray nativePath; // of the document met, below the root
    bool stopped() const { return stop && stop->load(std::memory_order_relaxed); }
};

// False when dir is not entered: already met by this walk, or on a pseudo file system.
// nativeBelow: dir below the scan's root in the file system's bytes (with stamps only).
bool scanInto(const QString& dir, quint64 parentDevice, ScanState& state,
              std::vector<ScanNode>& out, const QByteArray& nativeBelow)
{
    if (state.stopped())
        return true;
    FolderListing listing = state.listings->take(dir, parentDevice);
    if (!listing.identified) {
        ++state.unreadable; // entered, nothing in it
        return true;
    }
    if (!state.visited.insert(listing.id).second || listing.pseudo)
        return false;
    if (!listing.entries.complete)
        ++state.unreadable;
    state.listings->request(listing.folderPaths, listing.id.device, listing.entries.folderLinks);
    const DirectoryEntries& entries = listing.entries;
    out = std::move(listing.nodes); // the folders'
    for (size_t i = 0; i < out.size(); ++i) {
        if (state.stopped()) {
            out.resize(i);
            return true;
        }
        ScanNode& node = out[i];
        QByteArray folderBelow;
        if (state.withNativePaths)
            Platform::joinNative(folderBelow, nativeBelow,
                                 Platform::toNativeBytes(entries.folders.at(qsizetype(i))));
        node.revisited = !scanInto(node.path, listing.id.device, state, node.children, folderBelow);
    }
    // A document's node is made once its reader keeps it.
    const auto keep = [&out](const QString& name, const QString& path) {
        out.push_back(ScanNode{false, DocumentLayout::documentCaption(name), path, {}});
    };
    for (qsizetype i = 0; i < entries.documents.size() && !state.stopped(); ++i) {
        const QString& name = entries.documents.at(i);
        if (!state.onDocument) {
            keep(name, DocumentLayout::joinPath(dir, name));
            continue;
        }
        if (!state.withNativePaths || entries.documentStamps.isEmpty()) {
            const QString path = DocumentLayout::joinPath(dir, name);
            if (state.withNativePaths)
                Platform::joinNative(state.nativePath, nativeBelow, Platform::toNativeBytes(name));
            ScannedDocument document(
                path, state.withNativePaths ? QByteArrayView(state.nativePath) : QByteArrayView(),
                false, nullptr);
            state.onDocument(document);
            if (document.isInTree())
                keep(name, path);
            continue;
        }
        const DirectoryEntries::Stamp& stamp = entries.documentStamps.at(i);
        Platform::joinNative(state.nativePath, nativeBelow, entries.nativeName(stamp));
        ScannedDocument document(dir, name, state.nativePath, true,
                                 stamp.stamped ? &stamp.stamp : nullptr);
        state.onDocument(document);
        if (document.isInTree())
            keep(name, document.path());
    }
    return true;
}

} // namespace

const QString& ScannedDocument::path() const
{
    if (m_path)
        return *m_path;
    if (m_madePath.isNull())
        m_madePath = DocumentLayout::joinPath(*m_folder, *m_name);
    return m_madePath;
}

std::vector<ScanNode> LibraryScan::deep(const QString& dir, const DocumentCallback& onDocument,
                                        const std::atomic<bool>* stop, int* unreadable,
                                        const std::atomic<bool>* takeStamps)
{
    std::vector<ScanNode> nodes;
    if (dir.isEmpty())
        return nodes;
    // The folders that dir lies in count as met: a link back up is not entered. Those are the
    // folders of its path as given and of its real path; a folder of the given path that lies
    // inside the real one (a root that is a link up to a folder it lies in) is walked.
    const bool withNativePaths = takeStamps && onDocument;
    // Listed ahead only for a walk that proves an index's answer: there the walk is most of
    // the time; a scan's threads are busy reading the documents.
    const bool ahead = withNativePaths && takeStamps->load(std::memory_order_relaxed);
    ListingPrefetch listings(withNativePaths ? takeStamps : nullptr, stop, ahead ? 2 : 0);
    ScanState state{{}, onDocument, stop, withNativePaths, 0, &listings, {}};
    const QString cleanDir = QDir::cleanPath(QFileInfo(dir).absoluteFilePath());
    std::error_code error;
    const std::filesystem::path realRoot =
        std::filesystem::canonical(Platform::toNative(dir), error);
    const auto isInsideRoot = [&realRoot, &error](const QString& folder) {
        std::error_code failed;
        const std::filesystem::path real =
            std::filesystem::canonical(Platform::toNative(folder), failed);
        if (error || failed)
            return false;
        const std::string root = realRoot.string();
        const std::string path = real.string();
        return path.size() > root.size() && path.compare(0, root.size(), root) == 0 &&
               (root == "/" || path[root.size()] == '/');
    };
    const auto markAncestors = [&state, &isInsideRoot](const QString& path) {
        QDir parent = QFileInfo(path).absoluteDir();
        // The file system's root lies in no folder ("/" is its own parent).
        if (parent.path() == path)
            return;
        for (;;) {
            FolderId id;
            if (!isInsideRoot(parent.path()) && DirectoryListing::folderId(parent.path(), &id))
                state.visited.insert(id);
            if (!parent.cdUp())
                break;
        }
    };
    QDir parent = QFileInfo(cleanDir).absoluteDir();
    FolderId parentId;
    const quint64 parentDevice =
        DirectoryListing::folderId(parent.path(), &parentId) ? parentId.device : ~quint64(0);
    markAncestors(cleanDir);
    if (!error)
        markAncestors(Platform::fromNativeName(realRoot));
    // The root itself is walked, whatever it points to (a link to a folder it lies in too).
    FolderId rootId;
    if (DirectoryListing::folderId(dir, &rootId))
        state.visited.erase(rootId);
    scanInto(dir, parentDevice, state, nodes, QByteArray());
    if (unreadable)
        *unreadable += state.unreadable;
    return nodes;
}

void LibraryScan::pruneEmptyFolders(std::vector<ScanNode>& nodes)
{
    std::erase_if(nodes, [](ScanNode& node) {
        if (!node.isFolder)
            return false;
        pruneEmptyFolders(node.children);
        return node.children.empty();
    });
}

void LibraryScan::forEachDocument(const std::vector<ScanNode>& nodes,
                                  const std::function<void(const ScanNode&)>& visit)
{
    for (const ScanNode& node : nodes) {
        if (node.isFolder)
            forEachDocument(node.children, visit);
        else
            visit(node);
    }
}
