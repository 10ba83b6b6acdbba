#pragma once

#include "captionorder.h"
#include "matchoptions.h"
#include "wstring.h"

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
class QWebEngineView;
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
class WMakeTreeviewForDir
{
public:
    // The node record, held in the item's data roles and so freed with the item.
    struct MyRec
    {
        quint8 Kind = 0; // 0 root or expansion stub, 1 document, 2 folder
        QString FileName;
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
    WMakeTreeviewForDir(const QStringList& rootDirs, const QStringList& names,
                        QTreeWidget* treeView, const QList<QIcon>* imageList,
                        const QString& rootCaption, bool searching, const MatchOptions& options,
                        const QString& context, bool techParts, bool sortByDate,
                        const SearchResult* found = nullptr);
    ~WMakeTreeviewForDir();
    WMakeTreeviewForDir(const WMakeTreeviewForDir&) = delete;
    WMakeTreeviewForDir& operator=(const WMakeTreeviewForDir&) = delete;

    const QString Description = QStringLiteral("Класс WMakeTreeviewForDir");

    // Adds the folders and documents of dir under parent; false only for no path or parent.
    bool ScanDirectory(const QString& dir, const QString& mask, QTreeWidgetItem* parent);
    // Gives node an expand button when dir holds anything but its folder page.
    bool AddExpandStub(const QString& dir, QTreeWidgetItem* node);
    // Before a node opens: re-reads its folder (browsing) and orders what was added.
    void NodeExpanding(QTreeWidgetItem* node);
    static MyRec NewNodeRecord(quint8 kind, const QString& fileName);

    // Shows what a node stands for in the viewer: a document its file, a folder its folder
    // page; the viewer is blank otherwise or while ShowDoc is off. True when a file is shown.
    bool ShowNode(const QTreeWidgetItem* node, QWebEngineView* viewer);
    // Shows a document file (the highlighted copy) unless ShowDoc is off.
    bool ShowDocument(const QString& path, QWebEngineView* viewer);
    bool ShowFile(const QString& path, QWebEngineView* viewer);
    // The viewer's working directory; empty when no private folder can be had.
    static QString ViewerWorkDir();
    // Empties ViewerWorkDir and creates it again; its path, or empty when there is none.
    static QString ResetViewerWorkDir();
    static void ShowBlank(QWebEngineView* viewer);

    QString GetNodeTitle(const QTreeWidgetItem* node) const;
    QString GetNodeFileName(const QTreeWidgetItem* node) const;
    static MyRec NodeRecord(const QTreeWidgetItem* node);
    static int NodeImageIndex(const QTreeWidgetItem* node);

    // The search of a whole collection: each root searched in turn; for the technical parts
    // each base is a folder of its own, captioned with its name.
    static SearchRequest collectionSearch(const QStringList& rootDirs, const QStringList& names,
                                          bool techParts, const QString& context,
                                          const MatchOptions& options);
    // The search below the selected node: a folder to full depth, a document alone.
    SearchRequest subtreeSearch(const QString& context, const MatchOptions& options) const;
    // Puts the findings of subtreeSearch under the selected node (a folder keeps only the
    // found documents, opened) and sets the counts. Returns FoundCount.
    int ShowSubtreeSearch(const QString& context, const SearchResult& found);
    // Both at once, on this thread. Returns FoundCount.
    int SearchSubtree(const QString& context);

    // Selects the first node (in tree order) whose path is path, with only its first-level
    // folder opened (and everything below that); false, with the root selected, when none.
    bool FindNodeByFileName(const QString& path);
    // The node of a file or folder, its folders opened on the way down (read as an opening by
    // the user reads them); null when the tree has none.
    QTreeWidgetItem* NodeForPath(const QString& path);
    // Whether the tree has (or, opened, would have) a node for the path.
    bool HasNodeForPath(const QString& path) const;
    // The node's ancestor at level 1 (the node itself at level 1, the root for the root).
    static QTreeWidgetItem* GetTopFolder(QTreeWidgetItem* node);
    void DeleteSelected();
    // Removes a folder with everything in it, or a document's file (its picture folder and a
    // read-only file stay), then the node.
    void DeleteNode(QTreeWidgetItem* node);
    // Copies the selected folder, or document with its picture folder, into a directory the
    // user chooses; false when cancelled or when a copy failed.
    bool CopySelected(QWidget* dialogParent);
    // CopySelected in two steps: the choices, checks and target folders on the window's
    // thread, then the copying itself, which may run on any thread and be stopped.
    struct CopyPlan
    {
        bool folder = false;
        QString source;
        QString target;
        QString pictures; // a document's picture folder, when it is to be copied too
        QString picturesTarget;
        bool picturesTargetFailed = false;
    };
    std::optional<CopyPlan> PlanCopy(QWidget* dialogParent);
    static bool RunCopy(const CopyPlan& plan, const std::atomic<bool>* stop = nullptr);

    // Opens node (the whole tree for none) and every folder below it, reading each folder
    // once.
    void ExpandAll(QTreeWidgetItem* node = nullptr);
    // Orders the children of node, folders first, by caption or by date as the tree is sorted
    // (all levels below it when recursive).
    void SortChildren(QTreeWidgetItem* node, bool recursive);
    QTreeWidgetItem* RootNode() const;

    QString CurrentDir;
    QString RootCaption;
    const int FolderImage = 0;
    const int DocumentImage = 1;
    int FoundCount = 0;
    int CheckedCount = 0;
    bool ShowDoc = true;
    bool Searching = false;
    MatchOptions Options;
    bool SortByDate = false;
    QString Context;
    WString StringTool;

private:
    QTreeWidgetItem* addNode(QTreeWidgetItem* parent, const QString& caption, const MyRec& record,
                             int imageIndex);
    QTreeWidgetItem* makeNode(const QString& caption, const MyRec& record, int imageIndex) const;
    void attachChildren(QTreeWidgetItem* parent, QList<QTreeWidgetItem*> children);
    void sortItems(QList<QTreeWidgetItem*>& items) const;
    // Items for scanned folders and documents (a search scan holds only the found ones).
    QList<QTreeWidgetItem*> makeScannedNodes(const std::vector<ScanNode>& nodes);
    void rereadSubtree(QTreeWidgetItem* folder);
    QTreeWidgetItem* firstNodeWithPath(const QString& path) const;
    bool makeTargetDir(const QString& target, QWidget* dialogParent) const;

    QTreeWidget* m_treeView;
    const QList<QIcon>* m_imageList;
    // Owns the connections to the tree's notifications: they end with the builder.
    std::unique_ptr<QObject> m_handlers;
    CaptionOrder m_captionOrder;
    QFont m_folderFont;
    bool m_expandingAll = false;
};
