#include "wmaketreeviewfordir.h"

#include "directorylisting.h"
#include "documentlayout.h"
#include "libraryscan.h"
#include "platform.h"
#include "searchjob.h"
#include "shownfile.h"
#include "userworkdir.h"
#include "waitcursor.h"
#include "wdirfile.h"

#include <QDir>
#include <QFileInfo>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QTreeWidget>
#include <QUrl>
#include <QWebEngineView>

#include <algorithm>
#include <filesystem>

namespace {

bool isNoPath(const QString& path)
{
    return path.isEmpty() || path == u"0";
}

SearchRequest searchRequest(const QString& context, const MatchOptions& options)
{
    SearchRequest request;
    request.context = context;
    request.caseSensitive = options.caseSensitive;
    request.wholeWords = options.wholeWords;
    request.textMode = options.textMode;
    return request;
}

QStringList matching(const QStringList& names, const QString& mask)
{
    if (mask == u"*.*" || mask == u"*")
        return names;
    QStringList kept;
    for (const QString& name : names) {
        if (WDirFile::maskMatches(name, mask))
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
        const WMakeTreeviewForDir::MyRec record = WMakeTreeviewForDir::NodeRecord(item);
        std::error_code error;
        const auto written =
            std::filesystem::last_write_time(Platform::toNative(record.FileName), error);
        dated.push_back({item, record.Kind == WMakeTreeviewForDir::Document,
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

WMakeTreeviewForDir::WMakeTreeviewForDir(const QStringList& rootDirs, const QStringList& names,
                                         QTreeWidget* treeView, const QList<QIcon>* imageList,
                                         const QString& rootCaption, bool searching,
                                         const MatchOptions& options, const QString& context,
                                         bool techParts, bool sortByDate, const SearchResult* found)
    : RootCaption(rootCaption), Searching(searching), Options(options), SortByDate(sortByDate),
      Context(context), m_treeView(treeView), m_imageList(imageList),
      m_handlers(std::make_unique<QObject>())
{
    m_folderFont = m_treeView->font();
    m_folderFont.setBold(true);
    QObject::connect(m_treeView, &QTreeWidget::itemExpanded, m_handlers.get(),
                     [this](QTreeWidgetItem* node) { NodeExpanding(node); });

    m_treeView->clear();
    QTreeWidgetItem* root =
        addNode(nullptr, RootCaption, NewNodeRecord(RootOrStub, QStringLiteral("0")), FolderImage);
    m_treeView->setCurrentItem(root);

    WaitCursor waitCursor;
    m_treeView->setUpdatesEnabled(false); // filled without a repaint per node
    if (Searching) {
        // Only the folders that lead to a found document are in the findings.
        const SearchResult own =
            found ? SearchResult()
                  : SearchJob(collectionSearch(rootDirs, names, techParts, Context, Options)).run();
        const SearchResult& result = found ? *found : own;
        attachChildren(root, makeScannedNodes(result.nodes));
        CheckedCount = result.checked;
        CurrentDir = rootDirs.isEmpty() ? QString() : rootDirs.last();
    } else {
        for (qsizetype i = 0; i < rootDirs.size(); ++i) {
            CurrentDir = rootDirs.at(i);
            if (techParts) {
                QTreeWidgetItem* base =
                    addNode(root, names.value(i), NewNodeRecord(Folder, CurrentDir), FolderImage);
                AddExpandStub(CurrentDir, base);
            } else {
                ScanDirectory(CurrentDir, QStringLiteral("*.*"), root);
            }
        }
    }
    m_treeView->collapseAll();
    m_treeView->setCurrentItem(root);
    root->setExpanded(true);
    if (!SortByDate) {
        // Every folder was ordered as it was filled; the root's own nodes remain.
        SortChildren(root, false);
        m_treeView->horizontalScrollBar()->setValue(0);
    }
    m_treeView->setUpdatesEnabled(true);
}

WMakeTreeviewForDir::~WMakeTreeviewForDir() = default;

WMakeTreeviewForDir::MyRec WMakeTreeviewForDir::NewNodeRecord(quint8 kind, const QString& fileName)
{
    return MyRec{kind, fileName};
}

QTreeWidgetItem* WMakeTreeviewForDir::addNode(QTreeWidgetItem* parent, const QString& caption,
                                              const MyRec& record, int imageIndex)
{
    QTreeWidgetItem* item = makeNode(caption, record, imageIndex);
    if (parent)
        parent->addChild(item);
    else
        m_treeView->addTopLevelItem(item);
    return item;
}

QTreeWidgetItem* WMakeTreeviewForDir::makeNode(const QString& caption, const MyRec& record,
                                               int imageIndex) const
{
    auto* item = new QTreeWidgetItem(QStringList{caption});
    item->setData(0, KindRole, record.Kind);
    item->setData(0, FileNameRole, record.FileName);
    item->setData(0, ImageIndexRole, imageIndex);
    if (m_imageList && imageIndex < m_imageList->size())
        item->setIcon(0, m_imageList->at(imageIndex));
    // Folders and the root in bold; the root's caption in blue while it is not selected
    // (a selected item is drawn in the highlight colours).
    if (imageIndex == FolderImage)
        item->setFont(0, m_folderFont);
    if (caption == RootCaption)
        item->setForeground(0, QBrush(QColor(0, 0, 255)));
    return item;
}

void WMakeTreeviewForDir::attachChildren(QTreeWidgetItem* parent, QList<QTreeWidgetItem*> children)
{
    // One insertion per folder: the tree control's cost per insertion grows with its size.
    sortItems(children);
    parent->addChildren(children);
}

void WMakeTreeviewForDir::sortItems(QList<QTreeWidgetItem*>& items) const
{
    if (SortByDate) {
        sortByDate(items, m_captionOrder);
        return;
    }
    std::stable_sort(items.begin(), items.end(),
                     [this](const QTreeWidgetItem* a, const QTreeWidgetItem* b) {
                         return m_captionOrder(a->text(0), b->text(0));
                     });
}

bool WMakeTreeviewForDir::ScanDirectory(const QString& dir, const QString& mask,
                                        QTreeWidgetItem* parent)
{
    if (isNoPath(dir) || !parent)
        return false;
    QList<QTreeWidgetItem*> children;
    if (Searching) {
        // The whole depth at once; every document checked, only those with the context kept.
        SearchRequest request = searchRequest(Context, Options);
        request.folders = QStringList{dir};
        const SearchResult result = SearchJob(std::move(request)).run();
        CheckedCount += result.checked;
        children = makeScannedNodes(result.nodes);
    } else {
        const DirectoryEntries entries = DirectoryListing::list(dir);
        for (const QString& name : matching(entries.folders, mask)) {
            const QString path = DocumentLayout::joinPath(dir, name);
            QTreeWidgetItem* folder =
                makeNode(Platform::displayName(name), NewNodeRecord(Folder, path), FolderImage);
            AddExpandStub(path, folder);
            children.append(folder);
        }
        for (const QString& name : matching(entries.documents, mask)) {
            ++CheckedCount;
            children.append(makeNode(DocumentLayout::documentCaption(name),
                                     NewNodeRecord(Document, DocumentLayout::joinPath(dir, name)),
                                     DocumentImage));
            ++FoundCount;
        }
    }
    attachChildren(parent, children);
    return true;
}

QList<QTreeWidgetItem*> WMakeTreeviewForDir::makeScannedNodes(const std::vector<ScanNode>& nodes)
{
    QList<QTreeWidgetItem*> items;
    for (const ScanNode& node : nodes) {
        if (node.isFolder) {
            QTreeWidgetItem* folder =
                makeNode(node.caption, NewNodeRecord(Folder, node.path), FolderImage);
            attachChildren(folder, makeScannedNodes(node.children));
            if (node.revisited && !Searching)
                AddExpandStub(node.path, folder);
            items.append(folder);
            continue;
        }
        if (!Searching)
            ++CheckedCount; // a search counts what it checked itself
        items.append(makeNode(node.caption, NewNodeRecord(Document, node.path), DocumentImage));
        ++FoundCount;
    }
    return items;
}

bool WMakeTreeviewForDir::AddExpandStub(const QString& dir, QTreeWidgetItem* node)
{
    if (isNoPath(dir) || !node)
        return false;
    if (!DirectoryListing::hasVisibleEntry(dir))
        return false;
    node->addChild(makeNode(QString(), NewNodeRecord(RootOrStub, QString()), DocumentImage));
    return true;
}

void WMakeTreeviewForDir::NodeExpanding(QTreeWidgetItem* node)
{
    if (!node || m_expandingAll)
        return;
    if (!Searching) {
        // Every expansion reads the folder again; the root is read only by a rebuild.
        if (node->parent()) {
            qDeleteAll(node->takeChildren());
            ScanDirectory(NodeRecord(node).FileName, QStringLiteral("*.*"), node);
        }
    } else if (!SortByDate) {
        SortChildren(node, false);
    }
    // Whatever an expansion adds is ordered as it is added, and the rest of the tree is in
    // order already: the result is that of a sort of the whole tree, at the cost of one folder.
    if (!SortByDate)
        m_treeView->horizontalScrollBar()->setValue(0);
}

void WMakeTreeviewForDir::SortChildren(QTreeWidgetItem* node, bool recursive)
{
    if (!node || node->childCount() == 0)
        return;
    QList<QTreeWidgetItem*> children = node->takeChildren();
    sortItems(children);
    node->addChildren(children);
    if (recursive) {
        for (QTreeWidgetItem* child : std::as_const(children))
            SortChildren(child, true);
    }
}

void WMakeTreeviewForDir::ExpandAll(QTreeWidgetItem* node)
{
    if (!node) {
        for (int i = 0; i < m_treeView->topLevelItemCount(); ++i)
            ExpandAll(m_treeView->topLevelItem(i));
        return;
    }
    const QScopedValueRollback expanding(m_expandingAll, true);
    if (!Searching) {
        // Each folder below is read once, as its expansion would read it, and the whole
        // subtree goes into the tree at once: the control's cost per insertion grows with
        // the number of open folders.
        if (node->parent()) {
            rereadSubtree(node);
        } else {
            for (int i = 0; i < node->childCount(); ++i) {
                if (NodeRecord(node->child(i)).Kind == Folder)
                    rereadSubtree(node->child(i));
            }
        }
    }
    std::vector<QTreeWidgetItem*> pending{node};
    while (!pending.empty()) {
        QTreeWidgetItem* item = pending.back();
        pending.pop_back();
        if (item->childCount() == 0)
            continue;
        item->setExpanded(true);
        for (int i = item->childCount() - 1; i >= 0; --i)
            pending.push_back(item->child(i));
    }
}

void WMakeTreeviewForDir::rereadSubtree(QTreeWidgetItem* folder)
{
    qDeleteAll(folder->takeChildren());
    attachChildren(folder, makeScannedNodes(LibraryScan::deep(NodeRecord(folder).FileName)));
}

SearchRequest WMakeTreeviewForDir::collectionSearch(const QStringList& rootDirs,
                                                    const QStringList& names, bool techParts,
                                                    const QString& context,
                                                    const MatchOptions& options)
{
    SearchRequest request = searchRequest(context, options);
    request.folders = rootDirs;
    if (techParts) {
        for (qsizetype i = 0; i < rootDirs.size(); ++i)
            request.folderCaptions.append(names.value(i));
    }
    return request;
}

SearchRequest WMakeTreeviewForDir::subtreeSearch(const QString& context,
                                                 const MatchOptions& options) const
{
    SearchRequest request = searchRequest(context, options);
    const QTreeWidgetItem* node = m_treeView->currentItem();
    if (!node)
        return request;
    const MyRec record = NodeRecord(node);
    if (record.Kind == Folder)
        request.folders = QStringList{record.FileName};
    else
        request.document = record.FileName;
    return request;
}

int WMakeTreeviewForDir::ShowSubtreeSearch(const QString& context, const SearchResult& found)
{
    QTreeWidgetItem* node = m_treeView->currentItem();
    Context = context;
    FoundCount = found.found;
    CheckedCount = found.checked;
    if (!node || NodeRecord(node).Kind != Folder)
        return FoundCount;
    m_treeView->setUpdatesEnabled(false);
    qDeleteAll(node->takeChildren());
    {
        const QScopedValueRollback searching(Searching, true);
        FoundCount = 0; // counted as the found documents are added
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
    return FoundCount;
}

int WMakeTreeviewForDir::SearchSubtree(const QString& context)
{
    return ShowSubtreeSearch(context, SearchJob(subtreeSearch(context, Options)).run());
}

QString WMakeTreeviewForDir::ViewerWorkDir()
{
    return UserWorkDir::viewerWorkDir();
}

QString WMakeTreeviewForDir::ResetViewerWorkDir()
{
    const QString workDir = ViewerWorkDir();
    if (!workDir.isEmpty()) {
        Platform::removeTree(workDir);
        QDir().mkpath(workDir);
    }
    return workDir;
}

void WMakeTreeviewForDir::ShowBlank(QWebEngineView* viewer)
{
    if (viewer)
        viewer->setUrl(QUrl(QStringLiteral("about:blank")));
}

bool WMakeTreeviewForDir::ShowNode(const QTreeWidgetItem* node, QWebEngineView* viewer)
{
    static_assert(quint8(ShownFile::NodeKind::Document) == Document &&
                  quint8(ShownFile::NodeKind::Folder) == Folder);
    const MyRec record = NodeRecord(node);
    return ShowDocument(
        ShownFile::forNode(static_cast<ShownFile::NodeKind>(record.Kind), record.FileName), viewer);
}

bool WMakeTreeviewForDir::ShowDocument(const QString& path, QWebEngineView* viewer)
{
    if (ShowDoc && !isNoPath(path))
        return ShowFile(path, viewer);
    ShowBlank(viewer);
    return false;
}

bool WMakeTreeviewForDir::ShowFile(const QString& path, QWebEngineView* viewer)
{
    const QString workDir = ResetViewerWorkDir();
    const QFileInfo document(path);
    if (path.isEmpty() || !Platform::isFile(path)) {
        ShowBlank(viewer);
        return false;
    }
    if (!workDir.isEmpty()) {
        const QString filesName = DocumentLayout::companionFolderName(document.fileName());
        WDirFile().CopyDir(DocumentLayout::joinPath(document.path(), filesName),
                           workDir + filesName, QStringLiteral("*.*"));
    }
    // The address is made from the path, so blanks, "#", "%" and "?" stay part of the name.
    if (viewer)
        viewer->setUrl(Platform::fileUrl(document.absoluteFilePath()));
    return true;
}

QTreeWidgetItem* WMakeTreeviewForDir::RootNode() const
{
    return m_treeView->topLevelItem(0);
}

WMakeTreeviewForDir::MyRec WMakeTreeviewForDir::NodeRecord(const QTreeWidgetItem* node)
{
    if (!node)
        return {};
    return MyRec{static_cast<quint8>(node->data(0, KindRole).toUInt()),
                 node->data(0, FileNameRole).toString()};
}

int WMakeTreeviewForDir::NodeImageIndex(const QTreeWidgetItem* node)
{
    return node ? node->data(0, ImageIndexRole).toInt() : -1;
}

QString WMakeTreeviewForDir::GetNodeTitle(const QTreeWidgetItem* node) const
{
    if (!node)
        return {};
    QString title = node->text(0);
    for (const QTreeWidgetItem* up = node->parent(); up; up = up->parent())
        title = up->text(0) + QStringLiteral("->") + title;
    return title;
}

QString WMakeTreeviewForDir::GetNodeFileName(const QTreeWidgetItem* node) const
{
    return NodeRecord(node).FileName;
}
