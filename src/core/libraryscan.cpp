#include "libraryscan.h"

#include "directorylisting.h"
#include "documentlayout.h"

#include <QDir>
#include <QFileInfo>

namespace {

// False when dir is not entered: unreadable, or already on the current path.
using DocumentCallback = std::function<void(const QString&)>;

struct ScanState
{
    std::vector<FolderId> ancestors;
    const DocumentCallback& onDocument;
    const std::atomic<bool>* stop;
    bool stopped() const { return stop && stop->load(std::memory_order_relaxed); }
};

bool scanInto(const QString& dir, ScanState& state, std::vector<ScanNode>& out)
{
    std::vector<FolderId>& ancestors = state.ancestors;
    FolderId id;
    if (!DirectoryListing::folderId(dir, &id))
        return true;
    for (const FolderId& ancestor : ancestors) {
        if (ancestor == id)
            return false; // a link back up the path
    }
    ancestors.push_back(id);
    const DirectoryEntries entries = DirectoryListing::list(dir);
    out.reserve(size_t(entries.folders.size() + entries.documents.size()));
    for (const QString& name : entries.folders) {
        if (state.stopped())
            break;
        ScanNode folder{true, name, DocumentLayout::joinPath(dir, name), {}};
        folder.revisited = !scanInto(folder.path, state, folder.children);
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
    ancestors.pop_back();
    return true;
}

} // namespace

std::vector<ScanNode> LibraryScan::deep(const QString& dir, const DocumentCallback& onDocument,
                                        const std::atomic<bool>* stop)
{
    std::vector<ScanNode> nodes;
    if (dir.isEmpty() || dir == u"0")
        return nodes;
    // The folders that dir lies in are on the path too.
    ScanState state{{}, onDocument, stop};
    std::vector<FolderId>& ancestors = state.ancestors;
    QDir parent = QFileInfo(QDir::cleanPath(QFileInfo(dir).absoluteFilePath())).absoluteDir();
    for (;;) {
        FolderId id;
        if (DirectoryListing::folderId(parent.path(), &id))
            ancestors.push_back(id);
        if (!parent.cdUp())
            break;
    }
    scanInto(dir, state, nodes);
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
