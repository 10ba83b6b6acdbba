#include "tree/documenttree.h"

#include "library/directorylisting.h"
#include "library/documentlayout.h"
#include "library/filetree.h"
#include "library/libraryscan.h"
#include "platform/platform.h"
#include "search/searchjob.h"
#include "support/pictures.h"
#include "support/waitcursor.h"

#include <QDir>
#include <QFileInfo>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QTreeWidget>

#include <algorithm>
#include <filesystem>

namespace {

QStringList matching(const QStringList& names, const QString& mask)
{
    if (mask == u"*.*" || mask == u"*")
        return names;
    QStringList kept;
    for (const QString& name : names) {
        if (FileTree::maskMatches(name, mask))
            kept.append(name);
    }
    return kept;
}

// The date order: folders before documents, each oldest first by the time it was last
// written; equal times by caption, so that the order never depends on how the file system
// happens to list the entries.
void sortByDate(QList<QTreeWidgetItem*>& items, const CaptionOrder& captionOrder)
{
    struct Dated
    {
        QTreeWidgetItem* item;
        bool document;
        std::filesystem::file_time_type written;
    };
    std::vector<Dated> dated;
    dated.reserve(items.size());
    for (QTreeWidgetItem* item : std::as_const(items)) {
        const DocumentTree::NodeData record = DocumentTree::nodeData(item);
        std::error_code error;
        const auto written =
            std::filesystem::last_write_time(Platform::toNative(record.path), error);
        dated.push_back({item, record.kind == NodeKind::Document,
                         error ? std::filesystem::file_time_type::min() : written});
    }
    std::stable_sort(dated.begin(), dated.end(), [&captionOrder](const Dated& a, const Dated& b) {
        if (a.document != b.document)
            return b.document;
        if (a.written != b.written)
            return a.written < b.written;
        return captionOrder(a.item->text(0), b.item->text(0));
    });
    for (qsizetype i = 0; i < items.size(); ++i)
        items[i] = dated[std::size_t(i)].item;
}

} // namespace

DocumentTree::DocumentTree(const QStringList& rootDirs, const QStringList& names,
                           QTreeWidget* treeView, const QString& rootCaption,
                           const MatchOptions& options, bool techParts, bool sortByDate,
                           const SearchResult* found)
    : m_searching(found != nullptr), m_options(options), m_sortByDate(sortByDate),
      m_treeView(treeView), m_handlers(std::make_unique<QObject>())
{
    m_folderFont = m_treeView->font();
    m_folderFont.setBold(true);
    QObject::connect(m_treeView, &QTreeWidget::itemExpanded, m_handlers.get(),
                     [this](QTreeWidgetItem* node) { readExpandedFolder(node); });

    m_treeView->clear();
    QTreeWidgetItem* root = addNode(nullptr, rootCaption, NodeData{NodeKind::None, QString()});
    root->setIcon(0, Pictures::icon(Pictures::Picture::Folder));
    root->setFont(0, m_folderFont);
    // The root's caption in blue while it is not selected (a selected item is drawn in the
    // highlight colours).
    root->setForeground(0, QBrush(QColor(0, 0, 255)));
    m_treeView->setCurrentItem(root);

    WaitCursor waitCursor;
    m_treeView->setUpdatesEnabled(false); // filled without a repaint per node
    if (found) {
        // Only the folders that lead to a found document are in the findings.
        attachChildren(root, makeScannedNodes(found->nodes));
    } else {
        for (qsizetype i = 0; i < rootDirs.size(); ++i) {
            const QString& currentDir = rootDirs.at(i);
            if (techParts) {
                QTreeWidgetItem* base =
                    addNode(root, names.value(i), NodeData{NodeKind::Folder, currentDir});
                addExpandStub(currentDir, base);
            } else {
                scanDirectory(currentDir, QStringLiteral("*.*"), root);
            }
        }
    }
    m_treeView->collapseAll();
    m_treeView->setCurrentItem(root);
    root->setExpanded(true);
    if (!m_sortByDate) {
        // Every folder was ordered as it was filled; the root's own nodes remain.
        sortChildren(root, false);
        m_treeView->horizontalScrollBar()->setValue(0);
    }
    m_treeView->setUpdatesEnabled(true);
}

DocumentTree::~DocumentTree() = default;

QTreeWidgetItem* DocumentTree::addNode(QTreeWidgetItem* parent, const QString& caption,
                                       const NodeData& record)
{
    QTreeWidgetItem* item = makeNode(caption, record);
    if (parent)
        parent->addChild(item);
    else
        m_treeView->addTopLevelItem(item);
    return item;
}

QTreeWidgetItem* DocumentTree::makeNode(const QString& caption, const NodeData& record) const
{
    auto* item = new QTreeWidgetItem(QStringList{caption});
    item->setToolTip(0, caption); // a caption the tree's width cuts can still be read
    item->setData(0, KindRole, int(record.kind));
    item->setData(0, FileNameRole, record.path);
    // Folders in bold; a stub is never shown.
    if (record.kind == NodeKind::Folder) {
        item->setIcon(0, Pictures::icon(Pictures::Picture::Folder));
        item->setFont(0, m_folderFont);
    } else if (record.kind == NodeKind::Document) {
        item->setIcon(0, Pictures::icon(Pictures::Picture::Document));
    }
    return item;
}

void DocumentTree::attachChildren(QTreeWidgetItem* parent, QList<QTreeWidgetItem*> children)
{
    // One insertion per folder: the tree control's cost per insertion grows with its size.
    sortItems(children);
    parent->addChildren(children);
}

void DocumentTree::sortItems(QList<QTreeWidgetItem*>& items) const
{
    if (m_sortByDate) {
        sortByDate(items, m_captionOrder);
        return;
    }
    std::stable_sort(items.begin(), items.end(),
                     [this](const QTreeWidgetItem* a, const QTreeWidgetItem* b) {
                         return m_captionOrder(a->text(0), b->text(0));
                     });
}

bool DocumentTree::scanDirectory(const QString& dir, const QString& mask, QTreeWidgetItem* parent)
{
    if (dir.isEmpty() || !parent)
        return false;
    QList<QTreeWidgetItem*> children;
    const DirectoryEntries entries = DirectoryListing::list(dir);
    for (const QString& name : matching(entries.folders, mask)) {
        const QString path = DocumentLayout::joinPath(dir, name);
        QTreeWidgetItem* folder =
            makeNode(Platform::displayName(name), NodeData{NodeKind::Folder, path});
        addExpandStub(path, folder);
        children.append(folder);
    }
    for (const QString& name : matching(entries.documents, mask)) {
        children.append(
            makeNode(DocumentLayout::documentCaption(name),
                     NodeData{NodeKind::Document, DocumentLayout::joinPath(dir, name)}));
    }
    attachChildren(parent, children);
    return true;
}

QList<QTreeWidgetItem*> DocumentTree::makeScannedNodes(const std::vector<ScanNode>& nodes)
{
    QList<QTreeWidgetItem*> items;
    for (const ScanNode& node : nodes) {
        if (node.isFolder) {
            QTreeWidgetItem* folder = makeNode(node.caption, NodeData{NodeKind::Folder, node.path});
            attachChildren(folder, makeScannedNodes(node.children));
            if (node.revisited && !m_searching)
                addExpandStub(node.path, folder);
            items.append(folder);
            continue;
        }
        items.append(makeNode(node.caption, NodeData{NodeKind::Document, node.path}));
    }
    return items;
}

bool DocumentTree::addExpandStub(const QString& dir, QTreeWidgetItem* node)
{
    if (dir.isEmpty() || !node)
        return false;
    if (!DirectoryListing::hasVisibleEntry(dir))
        return false;
    node->addChild(makeNode(QString(), NodeData{NodeKind::None, QString()}));
    return true;
}

void DocumentTree::readExpandedFolder(QTreeWidgetItem* node)
{
    if (!node || m_expandingAll)
        return;
    if (!m_searching) {
        // Every expansion reads the folder again; the root is read only by a rebuild.
        if (node->parent()) {
            qDeleteAll(node->takeChildren());
            scanDirectory(nodeData(node).path, QStringLiteral("*.*"), node);
        }
    } else if (!m_sortByDate) {
        sortChildren(node, false);
    }
    // Whatever an expansion adds is ordered as it is added, and the rest of the tree is in
    // order already: the result is that of a sort of the whole tree, at the cost of one folder.
    if (!m_sortByDate)
        m_treeView->horizontalScrollBar()->setValue(0);
}

void DocumentTree::sortChildren(QTreeWidgetItem* node, bool recursive)
{
    if (!node || node->childCount() == 0)
        return;
    QList<QTreeWidgetItem*> children = node->takeChildren();
    sortItems(children);
    node->addChildren(children);
    if (recursive) {
        for (QTreeWidgetItem* child : std::as_const(children))
            sortChildren(child, true);
    }
}

void DocumentTree::expandAll(QTreeWidgetItem* node)
{
    if (!node) {
        for (int i = 0; i < m_treeView->topLevelItemCount(); ++i)
            expandAll(m_treeView->topLevelItem(i));
        return;
    }
    const QScopedValueRollback expanding(m_expandingAll, true);
    if (!m_searching) {
        // Each folder below is read once, as its expansion would read it, and the whole
        // subtree goes into the tree at once: the control's cost per insertion grows with
        // the number of open folders.
        if (node->parent()) {
            rereadSubtree(node);
        } else {
            for (int i = 0; i < node->childCount(); ++i) {
                if (nodeData(node->child(i)).kind == NodeKind::Folder)
                    rereadSubtree(node->child(i));
            }
        }
    }
    std::vector<QTreeWidgetItem*> pending{node};
    while (!pending.empty()) {
        QTreeWidgetItem* item = pending.back();
        pending.pop_back();
        // A folder met before in this walk (a link to it) keeps its stub: not opened again.
        const bool metBefore = item->childCount() == 1 && item->parent() &&
                               nodeData(item->child(0)).kind == NodeKind::None;
        if (item->childCount() == 0 || metBefore)
            continue;
        item->setExpanded(true);
        for (int i = item->childCount() - 1; i >= 0; --i)
            pending.push_back(item->child(i));
    }
}

void DocumentTree::rereadSubtree(QTreeWidgetItem* folder)
{
    qDeleteAll(folder->takeChildren());
    attachChildren(folder, makeScannedNodes(LibraryScan::deep(nodeData(folder).path)));
}

void DocumentTree::showSubtreeSearch(const SearchResult& found)
{
    QTreeWidgetItem* node = m_treeView->currentItem();
    if (!node || nodeData(node).kind != NodeKind::Folder)
        return;
    m_treeView->setUpdatesEnabled(false);
    qDeleteAll(node->takeChildren());
    {
        // The findings are put as a search's; the rest of the tree is browsed as before.
        const QScopedValueRollback searching(m_searching, true);
        attachChildren(node, makeScannedNodes(found.nodes));
    }
    const QScopedValueRollback expanding(m_expandingAll, true);
    std::vector<QTreeWidgetItem*> pending{node};
    while (!pending.empty()) {
        QTreeWidgetItem* item = pending.back();
        pending.pop_back();
        item->setExpanded(true);
        for (int i = 0; i < item->childCount(); ++i)
            pending.push_back(item->child(i));
    }
    m_treeView->setUpdatesEnabled(true);
}

QTreeWidgetItem* DocumentTree::rootNode() const
{
    return m_treeView->topLevelItem(0);
}

DocumentTree::NodeData DocumentTree::nodeData(const QTreeWidgetItem* node)
{
    if (!node)
        return {};
    return NodeData{static_cast<NodeKind>(node->data(0, KindRole).toInt()),
                    node->data(0, FileNameRole).toString()};
}

TreeNode DocumentTree::nodeValue(const QTreeWidgetItem* node)
{
    if (!node)
        return {};
    const NodeData record = nodeData(node);
    QStringList captions;
    for (const QTreeWidgetItem* up = node; up; up = up->parent())
        captions.prepend(up->text(0));
    return TreeNode{true, node->parent() == nullptr, record.kind, record.path, captions};
}

QTreeWidgetItem* DocumentTree::firstNodeWithPath(const QString& path) const
{
    std::vector<QTreeWidgetItem*> pending;
    for (int i = m_treeView->topLevelItemCount() - 1; i >= 0; --i)
        pending.push_back(m_treeView->topLevelItem(i));
    while (!pending.empty()) {
        QTreeWidgetItem* item = pending.back();
        pending.pop_back();
        if (nodeData(item).path == path)
            return item;
        for (int i = item->childCount() - 1; i >= 0; --i)
            pending.push_back(item->child(i));
    }
    return nullptr;
}

QTreeWidgetItem* DocumentTree::topFolder(QTreeWidgetItem* node)
{
    while (node && node->parent() && node->parent()->parent())
        node = node->parent();
    return node;
}

bool DocumentTree::selectNodeByPath(const QString& path)
{
    m_treeView->setUpdatesEnabled(false);
    // Every folder is read once (browsing) so that any node of the library can be met.
    expandAll();
    QTreeWidgetItem* found = firstNodeWithPath(path);
    m_treeView->collapseAll();
    m_treeView->setCurrentItem(rootNode());
    if (found) {
        // Only the branch of the found node stays open; opening it reads it again.
        QTreeWidgetItem* top = topFolder(found);
        if (rootNode())
            rootNode()->setExpanded(true);
        expandAll(top);
        found = firstNodeWithPath(path);
        if (found)
            m_treeView->setCurrentItem(found);
    }
    m_treeView->setUpdatesEnabled(true);
    return found != nullptr;
}

QTreeWidgetItem* DocumentTree::nodeForPath(const QString& path)
{
    QList<QTreeWidgetItem*> level;
    for (int i = 0; i < m_treeView->topLevelItemCount(); ++i)
        level.append(m_treeView->topLevelItem(i));
    while (!level.isEmpty()) {
        QTreeWidgetItem* below = nullptr;
        for (QTreeWidgetItem* item : std::as_const(level)) {
            const NodeData record = nodeData(item);
            if (record.path == path && record.kind != NodeKind::None)
                return item;
            // The root holds the whole collection, a folder what lies below it.
            if (!below && (record.kind == NodeKind::None ? item->parent() == nullptr
                                                         : path.startsWith(record.path + u'/')))
                below = item;
        }
        if (!below)
            return nullptr;
        if (!below->isExpanded())
            below->setExpanded(true); // reads the folder
        level.clear();
        for (int i = 0; i < below->childCount(); ++i)
            level.append(below->child(i));
    }
    return nullptr;
}

bool DocumentTree::hasNodeForPath(const QString& path) const
{
    if (m_searching || !rootNode())
        return firstNodeWithPath(path) != nullptr;
    // Below a folder of the collection's first level, a node is there once its folders are
    // opened, as long as the file is.
    for (int i = 0; i < rootNode()->childCount(); ++i) {
        const NodeData record = nodeData(rootNode()->child(i));
        if (record.path == path)
            return true;
        if (record.kind == NodeKind::Folder && path.startsWith(record.path + u'/'))
            return Platform::isFile(path) || Platform::isFolder(path);
    }
    return firstNodeWithPath(path) != nullptr;
}
