#include "libraryscan.h"

#include "directorylisting.h"
#include "documentlayout.h"

#include "platform.h"

#include <QDir>
#include <QFileInfo>

#include <filesystem>
#include <unordered_set>

namespace {

using DocumentCallback = std::function<void(const QString&)>;

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
    int unreadable = 0;
    bool stopped() const { return stop && stop->load(std::memory_order_relaxed); }
};

// False when dir is not entered: already met by this walk, or on a pseudo file system.
bool scanInto(const QString& dir, quint64 parentDevice, ScanState& state,
              std::vector<ScanNode>& out)
{
    FolderId id;
    if (!DirectoryListing::folderId(dir, &id)) {
        ++state.unreadable; // entered, nothing in it
        return true;
    }
    if (!state.visited.insert(id).second)
        return false;
    // Only a mount point can lead onto another file system.
    if (id.device != parentDevice && Platform::isPseudoFileSystem(dir))
        return false;
    const DirectoryEntries entries = DirectoryListing::list(dir);
    if (!entries.complete)
        ++state.unreadable;
    out.reserve(size_t(entries.folders.size() + entries.documents.size()));
    for (const QString& name : entries.folders) {
        if (state.stopped())
            break;
        ScanNode folder{true, Platform::displayName(name), DocumentLayout::joinPath(dir, name), {}};
        folder.revisited = !scanInto(folder.path, id.device, state, folder.children);
        out.push_back(std::move(folder));
    }
    for (const QString& name : entries.documents) {
        if (state.stopped())
            break;
        out.push_back(ScanNode{
            false, DocumentLayout::documentCaption(name), DocumentLayout::joinPath(dir, name), {}});
        if (state.onDocument)
            state.onDocument(out.back().path);
    }
    return true;
}

} // namespace

std::vector<ScanNode> LibraryScan::deep(const QString& dir, const DocumentCallback& onDocument,
                                        const std::atomic<bool>* stop, int* unreadable)
{
    std::vector<ScanNode> nodes;
    if (dir.isEmpty())
        return nodes;
    // The folders that dir lies in count as met: a link back up is not entered. Those are the
    // folders of its path as given and of its real path; a folder of the given path that lies
    // inside the real one (a root that is a link up to a folder it lies in) is walked.
    ScanState state{{}, onDocument, stop, 0};
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
    scanInto(dir, parentDevice, state, nodes);
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
