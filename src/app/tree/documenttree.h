#pragma once

#include "captionorder.h"
#include "matchoptions.h"

#include <QFont>
#include <QIcon>
#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <memory>
#include <optional>
#include <vector>

class QObject;
struct SearchRequest;
struct SearchResult;
class QWidget;
class QTreeWidget;
class QTreeWidgetItem;
struct ScanNode;

// Builds the document tree of one collection in the tree control and serves it until the
// next rebuild: folders are read when expanded (or, in search state, to full depth at once
// with only the documents that hold the context), sorted by caption unless the directory
// order is chosen.
class DocumentTree
{
public:
    // The node record, held in the item's data roles and so freed with the item.
    struct NodeData
    {
        quint8 kind = 0; // 0 root or expansion stub, 1 document, 2 folder
        QString path;
    };
    enum NodeKind : quint8
    {
        RootOrStub = 0,
        Document = 1,
        Folder = 2
    };
    enum Role
    {
        KindRole = 0x0101,
        FileNameRole,
        ImageIndexRole
    };

    // In search state the tree holds found, the result of collectionSearch for the same
    // collection; without it the search runs here, before the constructor returns. The match
    // options are kept for the searches of subtrees that follow.
    DocumentTree(const QStringList& rootDirs, const QStringList& names, QTreeWidget* treeView,
                 const QList<QIcon>* imageList, const QString& rootCaption, bool searching,
                 const MatchOptions& options, const QString& context, bool techParts,
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
    static NodeData makeNodeData(quint8 kind, const QString& fileName);

    QString nodeTitle(const QTreeWidgetItem* node) const;
    QString nodePath(const QTreeWidgetItem* node) const;
    static NodeData nodeData(const QTreeWidgetItem* node);
    static int nodeImageIndex(const QTreeWidgetItem* node);

    // The search of a whole collection: each root searched in turn; for the technical parts
    // each base is a folder of its own, captioned with its name.
    static SearchRequest collectionSearch(const QStringList& rootDirs, const QStringList& names,
                                          bool techParts, const QString& context,
                                          const MatchOptions& options);
    // The search below the selected node: a folder to full depth, a document alone.
    SearchRequest subtreeSearch(const QString& context, const MatchOptions& options) const;
    // Puts the findings of subtreeSearch under the selected node (a folder keeps only the
    // found documents, opened) and sets the counts. Returns the found count.
    int showSubtreeSearch(const QString& context, const SearchResult& found);
    // Both at once, on this thread. Returns the found count.
    int searchSubtree(const QString& context);

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

    // The documents shown and the documents checked by the last build or subtree search.
    int foundCount() const { return m_foundCount; }
    int checkedCount() const { return m_checkedCount; }
    // In search state the tree holds only the documents with the context.
    bool isSearching() const { return m_searching; }
    const MatchOptions& options() const { return m_options; }
    QTreeWidget* view() const { return m_treeView; }

    static constexpr int FolderImage = 0;
    static constexpr int DocumentImage = 1;

private:
    QTreeWidgetItem* addNode(QTreeWidgetItem* parent, const QString& caption,
                             const NodeData& record, int imageIndex);
    QTreeWidgetItem* makeNode(const QString& caption, const NodeData& record, int imageIndex) const;
    void attachChildren(QTreeWidgetItem* parent, QList<QTreeWidgetItem*> children);
    void sortItems(QList<QTreeWidgetItem*>& items) const;
    // Items for scanned folders and documents (a search scan holds only the found ones).
    QList<QTreeWidgetItem*> makeScannedNodes(const std::vector<ScanNode>& nodes);
    void rereadSubtree(QTreeWidgetItem* folder);
    QTreeWidgetItem* firstNodeWithPath(const QString& path) const;

    QString m_rootCaption;
    int m_foundCount = 0;
    int m_checkedCount = 0;
    bool m_searching = false;
    MatchOptions m_options;
    bool m_sortByDate = false;
    QString m_context;
    QTreeWidget* m_treeView;
    const QList<QIcon>* m_imageList;
    // Owns the connections to the tree's notifications: they end with the builder.
    std::unique_ptr<QObject> m_handlers;
    CaptionOrder m_captionOrder;
    QFont m_folderFont;
    bool m_expandingAll = false;
};
