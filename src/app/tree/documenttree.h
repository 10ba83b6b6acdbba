#pragma once

#include "library/captionorder.h"
#include "matching/matchoptions.h"
#include "tree/treenode.h"

#include <QFont>
#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <memory>
#include <optional>
#include <vector>

class QObject;
class QTreeWidget;
class QTreeWidgetItem;
struct ScanNode;
struct SearchResult;

// Builds the document tree of one collection in the tree control and serves it until the
// next rebuild: folders are read when expanded, or, in search state, the findings of a search
// are shown (only the folders that lead to a found document), sorted by caption unless the
// directory order is chosen. The tree shows findings; it never searches.
class DocumentTree
{
public:
    // The node record, held in the item's data roles and so freed with the item.
    struct NodeData
    {
        NodeKind kind = NodeKind::None;
        QString path; // empty for the root and a stub
    };
    enum Role
    {
        KindRole = 0x0101,
        FileNameRole
    };

    // Browsing, or with found (the findings of a search of the same collection's folders) the
    // search state. The match options are those the tree's findings answer (browsing: those
    // its subtrees would be searched with).
    DocumentTree(const QStringList& rootDirs, const QStringList& names, QTreeWidget* treeView,
                 const QString& rootCaption, const MatchOptions& options, bool techParts,
                 bool sortByDate, const SearchResult* found = nullptr);
    ~DocumentTree();
    DocumentTree(const DocumentTree&) = delete;
    DocumentTree& operator=(const DocumentTree&) = delete;

    // Adds the folders and documents of dir under parent; false only for no path or parent.
    bool scanDirectory(const QString& dir, const QString& mask, QTreeWidgetItem* parent);
    // Gives node an expand button when dir holds anything but its folder page.
    bool addExpandStub(const QString& dir, QTreeWidgetItem* node);
    // Before a node opens: re-reads its folder (browsing) and orders what was added.
    void readExpandedFolder(QTreeWidgetItem* node);

    static NodeData nodeData(const QTreeWidgetItem* node);
    // The node as the window and the search know it.
    static TreeNode nodeValue(const QTreeWidgetItem* node);

    // Puts the findings of a search below the selected node under it (a folder keeps only the
    // found documents, opened).
    void showSubtreeSearch(const SearchResult& found);

    // Selects the first node (in tree order) whose path is path, with only its first-level
    // folder opened (and everything below that); false, with the root selected, when none.
    bool selectNodeByPath(const QString& path);
    // The node of a file or folder, its folders opened on the way down (read as an opening by
    // the user reads them); null when the tree has none.
    QTreeWidgetItem* nodeForPath(const QString& path);
    // Whether the tree has (or, opened, would have) a node for the path.
    bool hasNodeForPath(const QString& path) const;
    // The node's ancestor at level 1 (the node itself at level 1, the root for the root).
    static QTreeWidgetItem* topFolder(QTreeWidgetItem* node);
    // Opens node (the whole tree for none) and every folder below it, reading each folder
    // once.
    void expandAll(QTreeWidgetItem* node = nullptr);
    // Orders the children of node, folders first, by caption or by date as the tree is sorted
    // (all levels below it when recursive).
    void sortChildren(QTreeWidgetItem* node, bool recursive);
    QTreeWidgetItem* rootNode() const;

    // In search state the tree holds only the documents with the context.
    bool isSearching() const { return m_searching; }
    const MatchOptions& options() const { return m_options; }
    QTreeWidget* view() const { return m_treeView; }

private:
    QTreeWidgetItem* addNode(QTreeWidgetItem* parent, const QString& caption,
                             const NodeData& record);
    QTreeWidgetItem* makeNode(const QString& caption, const NodeData& record) const;
    void attachChildren(QTreeWidgetItem* parent, QList<QTreeWidgetItem*> children);
    void sortItems(QList<QTreeWidgetItem*>& items) const;
    // Items for scanned folders and documents (a search scan holds only the found ones).
    QList<QTreeWidgetItem*> makeScannedNodes(const std::vector<ScanNode>& nodes);
    void rereadSubtree(QTreeWidgetItem* folder);
    QTreeWidgetItem* firstNodeWithPath(const QString& path) const;

    bool m_searching = false;
    MatchOptions m_options;
    bool m_sortByDate = false;
    QTreeWidget* m_treeView;
    // Owns the connections to the tree's notifications: they end with the builder.
    std::unique_ptr<QObject> m_handlers;
    CaptionOrder m_captionOrder;
    QFont m_folderFont;
    bool m_expandingAll = false;
};
