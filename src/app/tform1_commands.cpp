// The commands of the tree's context menu, the help and the About dialog.
#include "tform1.h"

#include "appmessagebox.h"
#include "appsettings.h"
#include "backgroundtask.h"
#include "platform.h"
#include "taboutdialog1.h"
#include "thelpform1.h"
#include "tprogressbardialog1.h"
#include "wmaketreeviewfordir.h"

#include <QAction>
#include <QCheckBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QScopedValueRollback>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>
#include <QWebEngineView>

void TForm1::connectCommands()
{
    connect(PopupMenu1, &QMenu::aboutToShow, this, &TForm1::PopupMenu1Popup);
    connect(OpenAllFolders1, &QAction::triggered, this, &TForm1::OpenAllFolders1Click);
    connect(CloseAllFolders1, &QAction::triggered, this, &TForm1::CloseAllFolders1Click);
    connect(DeleteItem1, &QAction::triggered, this, &TForm1::DeleteItem1Click);
    connect(CopyInItem1, &QAction::triggered, this, &TForm1::CopyInItem1Click);
    connect(SetZakladka1, &QAction::triggered, this, &TForm1::SetZakladka1Click);
    connect(GotoZakladka1, &QAction::triggered, this, &TForm1::GotoZakladka1Click);
    connect(SortDateItem1, &QAction::triggered, this, &TForm1::SortDateItem1Click);
    connect(OpenInEditorItem1, &QAction::triggered, this, &TForm1::OpenInEditorItem1Click);
    connect(HelpButton1, &QToolButton::clicked, this, &TForm1::HelpButton1Click);
    connect(AboutButton1, &QToolButton::clicked, this, &TForm1::AboutButton1Click);
    // The menu's shortcuts follow the selection, not only the last opening of the menu.
    connect(TreeView1, &QTreeWidget::currentItemChanged, this, &TForm1::PopupMenu1Popup);
}

void TForm1::TreeView1KeyDown(int key)
{
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && selectedNode())
        selectedNode()->setExpanded(true);
}

void TForm1::PopupMenu1Popup()
{
    QTreeWidgetItem* node = selectedNode();
    GotoZakladka1->setEnabled(!BookmarkFileName.isEmpty());
    const bool belowRoot = node && node->parent();
    DeleteItem1->setEnabled(belowRoot);
    CopyInItem1->setEnabled(belowRoot);
    OpenInEditorItem1->setEnabled(TreeBuilder &&
                                  Platform::isFile(TreeBuilder->GetNodeFileName(node)));
    UpdateSearchCommands();
}

void TForm1::OpenAllFolders1Click()
{
    if (!TreeBuilder)
        return;
    TreeView1->setUpdatesEnabled(false); // not repainted node by node
    TreeBuilder->ExpandAll();
    TreeView1->setUpdatesEnabled(true);
}

void TForm1::CloseAllFolders1Click()
{
    TreeView1->collapseAll();
    if (QTreeWidgetItem* node = selectedNode())
        TreeView1->scrollToItem(node);
    TreeView1Change();
}

void TForm1::DeleteItem1Click()
{
    // The root is never deleted, also not through the shortcut.
    if (!TreeBuilder || !selectedNode() || !selectedNode()->parent())
        return;
    const auto answer = AppMessageBox::show(
        this, AppTitle, QStringLiteral("Удалить документы без возможности восстановления?"),
        QMessageBox::Question, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer == QMessageBox::Yes)
        TreeBuilder->DeleteSelected();
}

void TForm1::CopyInItem1Click()
{
    if (!TreeBuilder || !selectedNode() || !selectedNode()->parent() || m_copy)
        return;
    const std::optional<WMakeTreeviewForDir::CopyPlan> plan = TreeBuilder->PlanCopy(this);
    if (!plan)
        return;
    // A large folder takes long: the copy runs in the background and can be stopped (what is
    // copied by then stays).
    auto stop = std::make_shared<std::atomic<bool>>(false);
    m_copy = std::make_unique<BackgroundTask>(
        this, QStringLiteral("Копирование"), QStringLiteral("Копирование файлов. Ждите..."),
        BackgroundTask::Work{
            [plan = *plan, stop] { WMakeTreeviewForDir::RunCopy(plan, stop.get()); },
            [stop] { stop->store(true); },
            {}});
    connect(m_copy.get(), &BackgroundTask::finished, this, [this] {
        m_copy.release()->deleteLater(); // let go once this handler of its signal is done
        activateWindow();
    });
}

void TForm1::SetZakladka1Click()
{
    if (TreeBuilder)
        BookmarkFileName = TreeBuilder->GetNodeFileName(selectedNode());
}

void TForm1::GotoZakladka1Click()
{
    if (!TreeBuilder)
        return;
    bool found = false;
    {
        TProgressBarDialog1 progress(this, QStringLiteral("Поиск"),
                                     QStringLiteral("Идет поиск. Ждите..."));
        progress.showNow();
        // The lookup's own selections are not shown; the found node is shown below.
        const QScopedValueRollback looking(m_buildingTree, true);
        const QScopedValueRollback busy(m_busy, true);
        found = TreeBuilder->FindNodeByFileName(BookmarkFileName);
    }
    activateWindow();
    if (!found)
        AppMessageBox::show(this, AppTitle, QStringLiteral("Закладка не найдена!"));
    TreeBuilder->ShowDoc = ShowDocCheckBox1->isChecked();
    TreeBuilder->ShowNode(selectedNode(), CppWebBrowser1);
    showNodeTitle(selectedNode());
}

void TForm1::SortDateItem1Click()
{
    // The action has already turned its check mark over.
    settings().setSortByDate(SortDateItem1->isChecked());
    Refresh1Click();
}

void TForm1::OpenInEditorItem1Click()
{
    if (!TreeBuilder)
        return;
    const QString path = TreeBuilder->GetNodeFileName(selectedNode());
    if (!Platform::isFile(path))
        return;
    // Failures stay silent, as the editor is not part of this program.
    const QStringList command = Platform::editorCommand(path);
    if (command.isEmpty())
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    else
        QProcess::startDetached(command.first(), command.mid(1));
}

void TForm1::HelpButton1Click()
{
    if (!THelpForm1::open(this, HelpFileName))
        AppMessageBox::show(this, AppTitle,
                            QStringLiteral("Файл справки не найден:\n") + HelpFileName);
}

void TForm1::AboutButton1Click()
{
    TAboutDialog1 dialog(VersionText, QFileInfo(HelpFileName).absolutePath(), IniFileName, this);
    runDialog(dialog);
}
