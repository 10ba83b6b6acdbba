// Operations on the selected node: the bookmark lookup, deleting, copying.
#include "wmaketreeviewfordir.h"

#include "appmessagebox.h"
#include "directorylisting.h"
#include "documentlayout.h"
#include "folderdialog.h"
#include "platform.h"
#include "tprogressbardialog1.h"
#include "wdirfile.h"

#include <QDir>
#include <QFileInfo>
#include <QTreeWidget>

QTreeWidgetItem* WMakeTreeviewForDir::firstNodeWithPath(const QString& path) const
{
    std::vector<QTreeWidgetItem*> pending;
    for (int i = m_treeView->topLevelItemCount() - 1; i >= 0; --i)
        pending.push_back(m_treeView->topLevelItem(i));
    while (!pending.empty()) {
        QTreeWidgetItem* item = pending.back();
        pending.pop_back();
        if (NodeRecord(item).FileName == path)
            return item;
        for (int i = item->childCount() - 1; i >= 0; --i)
            pending.push_back(item->child(i));
    }
    return nullptr;
}

QTreeWidgetItem* WMakeTreeviewForDir::GetTopFolder(QTreeWidgetItem* node)
{
    while (node && node->parent() && node->parent()->parent())
        node = node->parent();
    return node;
}

bool WMakeTreeviewForDir::FindNodeByFileName(const QString& path)
{
    m_treeView->setUpdatesEnabled(false);
    // Every folder is read once (browsing) so that any node of the library can be met.
    ExpandAll();
    QTreeWidgetItem* found = firstNodeWithPath(path);
    m_treeView->collapseAll();
    m_treeView->setCurrentItem(RootNode());
    if (found) {
        // Only the branch of the found node stays open; opening it reads it again.
        QTreeWidgetItem* top = GetTopFolder(found);
        if (RootNode())
            RootNode()->setExpanded(true);
        ExpandAll(top);
        found = firstNodeWithPath(path);
        if (found)
            m_treeView->setCurrentItem(found);
    }
    m_treeView->setUpdatesEnabled(true);
    return found != nullptr;
}

QTreeWidgetItem* WMakeTreeviewForDir::NodeForPath(const QString& path)
{
    QList<QTreeWidgetItem*> level;
    for (int i = 0; i < m_treeView->topLevelItemCount(); ++i)
        level.append(m_treeView->topLevelItem(i));
    while (!level.isEmpty()) {
        QTreeWidgetItem* below = nullptr;
        for (QTreeWidgetItem* item : std::as_const(level)) {
            const MyRec record = NodeRecord(item);
            if (record.FileName == path && record.Kind != RootOrStub)
                return item;
            // The root holds the whole collection, a folder what lies below it.
            if (!below && (record.Kind == RootOrStub ? item->parent() == nullptr
                                                     : path.startsWith(record.FileName + u'/')))
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

bool WMakeTreeviewForDir::HasNodeForPath(const QString& path) const
{
    if (Searching || !RootNode())
        return firstNodeWithPath(path) != nullptr;
    // Below a folder of the collection's first level, a node is there once its folders are
    // opened, as long as the file is.
    for (int i = 0; i < RootNode()->childCount(); ++i) {
        const MyRec record = NodeRecord(RootNode()->child(i));
        if (record.FileName == path)
            return true;
        if (record.Kind == Folder && path.startsWith(record.FileName + u'/'))
            return Platform::isFile(path) || Platform::isFolder(path);
    }
    return firstNodeWithPath(path) != nullptr;
}

void WMakeTreeviewForDir::DeleteSelected()
{
    DeleteNode(m_treeView->currentItem());
}

void WMakeTreeviewForDir::DeleteNode(QTreeWidgetItem* node)
{
    if (!node)
        return;
    const MyRec record = NodeRecord(node);
    if (record.Kind == Folder)
        WDirFile().DeleteDir(record.FileName, QStringLiteral("*.*"));
    else
        WDirFile().DeleteWritableFile(record.FileName);
    // What is still there (a read-only document, a folder that could not be emptied) keeps
    // its node: the tree never shows a file as gone that is not.
    FolderId id;
    if (record.Kind == Folder ? DirectoryListing::folderId(record.FileName, &id)
                              : Platform::isFile(record.FileName))
        return;
    delete node;
}

bool WMakeTreeviewForDir::makeTargetDir(const QString& target, QWidget* dialogParent) const
{
    if (QDir().mkpath(target))
        return true;
    AppMessageBox::show(dialogParent, Description,
                        QStringLiteral("Ошибка при создании директории:\n") + target);
    return false;
}

bool WMakeTreeviewForDir::CopySelected(QWidget* dialogParent)
{
    const std::optional<CopyPlan> plan = PlanCopy(dialogParent);
    if (!plan)
        return false;
    TProgressBarDialog1 progress(dialogParent, QStringLiteral("Копирование"),
                                 QStringLiteral("Копирование файлов. Ждите..."));
    progress.showNow();
    return RunCopy(*plan);
}

std::optional<WMakeTreeviewForDir::CopyPlan> WMakeTreeviewForDir::PlanCopy(QWidget* dialogParent)
{
    QTreeWidgetItem* node = m_treeView->currentItem();
    if (!node)
        return std::nullopt;
    const QString chosen =
        FolderDialog::choose(dialogParent, QStringLiteral("Выбор директории для копирования"));
    if (chosen.isEmpty())
        return std::nullopt;
    const QString dest = StringTool.WithBackslash(chosen);
    const MyRec record = NodeRecord(node);
    CopyPlan plan;
    plan.folder = record.Kind == Folder;
    plan.source = record.FileName;
    plan.target = dest + QFileInfo(record.FileName).fileName();
    if (plan.folder) {
        if (WDirFile::isCopyIntoItself(plan.source, plan.target)) {
            AppMessageBox::show(dialogParent, Description,
                                QStringLiteral("Папку нельзя скопировать в саму себя или в одну "
                                               "из её папок:\n") +
                                    plan.target);
            return std::nullopt;
        }
        if (!makeTargetDir(plan.target, dialogParent))
            return std::nullopt;
        return plan;
    }
    QDir().mkpath(dest);
    const QFileInfo document(plan.source);
    const QString companionName = DocumentLayout::companionFolderName(document.fileName());
    const QString companion = DocumentLayout::joinPath(document.path(), companionName);
    const QString companionTarget = dest + companionName;
    // A picture folder already in place (a copy onto itself) is left as it is.
    if (Platform::isFolder(companion) && !WDirFile::isCopyIntoItself(companion, companionTarget)) {
        plan.pictures = companion;
        plan.picturesTarget = companionTarget;
        // The document is copied all the same; the copy reports the failure.
        plan.picturesTargetFailed = !makeTargetDir(companionTarget, dialogParent);
    }
    return plan;
}

bool WMakeTreeviewForDir::RunCopy(const CopyPlan& plan, const std::atomic<bool>* stop)
{
    WDirFile files;
    files.Stop = stop;
    if (plan.folder)
        return files.CopyDir(plan.source, plan.target, QStringLiteral("*.*"));
    const bool copied = files.CopyKeepingReadOnlyTarget(plan.source, plan.target);
    if (plan.pictures.isEmpty())
        return copied;
    if (plan.picturesTargetFailed)
        return false;
    // The picture folder's result counts, as the copy of a document has always reported it.
    return files.CopyDir(plan.pictures, plan.picturesTarget, QStringLiteral("*.*"));
}
