// Operations on the selected node: the bookmark lookup, deleting, copying.
#include "wmaketreeviewfordir.h"

#include "appmessagebox.h"
#include "documentlayout.h"
#include "folderdialog.h"
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
    QTreeWidgetItem* node = m_treeView->currentItem();
    if (!node)
        return false;
    const QString chosen =
        FolderDialog::choose(dialogParent, QStringLiteral("Выбор директории для копирования"));
    if (chosen.isEmpty())
        return false;
    const QString dest = StringTool.WithBackslash(chosen);
    const MyRec record = NodeRecord(node);
    const QString folderTarget = dest + QFileInfo(record.FileName).fileName();
    if (record.Kind == Folder && WDirFile::isCopyIntoItself(record.FileName, folderTarget)) {
        AppMessageBox::show(dialogParent, Description,
                            QStringLiteral("Папку нельзя скопировать в саму себя или в одну из "
                                           "её папок:\n") +
                                folderTarget);
        return false;
    }
    TProgressBarDialog1 progress(dialogParent, QStringLiteral("Копирование"),
                                 QStringLiteral("Копирование файлов. Ждите..."));
    progress.showNow();
    if (record.Kind == Folder) {
        return makeTargetDir(folderTarget, dialogParent) &&
               WDirFile().CopyDir(record.FileName, folderTarget, QStringLiteral("*.*"));
    }
    return copyDocument(record.FileName, dest, dialogParent);
}

bool WMakeTreeviewForDir::copyDocument(const QString& path, const QString& dest,
                                       QWidget* dialogParent) const
{
    const QFileInfo document(path);
    const QString copy = dest + document.fileName();
    QDir().mkpath(dest);
    const bool result = WDirFile().CopyKeepingReadOnlyTarget(document.filePath(), copy);
    const QString companionName = DocumentLayout::companionFolderName(document.fileName());
    const QString companion = DocumentLayout::joinPath(document.path(), companionName);
    if (!QFileInfo(companion).isDir())
        return result;
    const QString target = dest + companionName;
    if (WDirFile::isCopyIntoItself(companion, target))
        return result; // the picture folder is already there as well
    return makeTargetDir(target, dialogParent) &&
           WDirFile().CopyDir(companion, target, QStringLiteral("*.*"));
}
