#include "tree/documenttreepanel.h"

#include "dialogs/appmessagebox.h"
#include "dialogs/libraryfolderdialog.h"
#include "dialogs/progressdialog.h"
#include "dialogs/userinteraction.h"
#include "library/collectionlists.h"
#include "library/libraryscan.h"
#include "platform/platform.h"
#include "settings/appsettings.h"
#include "support/backgroundtask.h"
#include "support/elidedtoolbutton.h"
#include "support/newtabclick.h"
#include "support/statustexts.h"
#include "support/windowcommands.h"
#include "text/russianplural.h"
#include "tree/namefilter.h"
#include "tree/treefileoperations.h"

#include <QAction>
#include <QButtonGroup>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QUrl>
#include <QVBoxLayout>

DocumentTreePanel::DocumentTreePanel(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("treePanel"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* buttons = new QHBoxLayout;
    auto* group = new QButtonGroup(this);
    group->setExclusive(true);
    const auto collectionButton = [&](const QString& name, const QString& caption) {
        auto* button = new ElidedToolButton(this);
        button->setObjectName(name);
        button->setCheckable(true);
        button->setAutoRaise(true);
        button->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
        button->setMinimumWidth(1); // the pane may still be made narrow
        QFont bold = button->font();
        bold.setBold(true);
        button->setFont(bold);
        button->setFullText(caption);
        group->addButton(button);
        buttons->addWidget(button);
        connect(button, &QToolButton::clicked, this, &DocumentTreePanel::collectionChosen);
        return button;
    };
    m_normativeButton =
        collectionButton(QStringLiteral("normativeButton"), QStringLiteral("Норм. документы"));
    m_technicalButton =
        collectionButton(QStringLiteral("technicalButton"), QStringLiteral("Тех. части"));
    m_normativeButton->setChecked(true);
    layout->addLayout(buttons);

    m_filterField = new QLineEdit(this);
    m_filterField->setObjectName(QStringLiteral("nameFilterField"));
    m_filterField->setPlaceholderText(QStringLiteral("Найти по названию (Ctrl+L)"));
    m_filterField->setToolTip(
        QStringLiteral("Найти документ или папку по названию или обозначению (Ctrl+L):\n"
                       "например «СНиП 2.01.07-85» или «ГЭСН 81-02-06». Регистр, пробелы,\n"
                       "точки и дефисы не важны. Enter показывает документ, Esc — всё дерево."));
    m_filterField->setClearButtonEnabled(true);
    m_filterField->installEventFilter(this);
    layout->addWidget(m_filterField);

    m_view = new QTreeWidget(this);
    m_view->setObjectName(QStringLiteral("documentTree"));
    m_view->installEventFilter(this);
    m_view->viewport()->installEventFilter(this);
    m_view->setHeaderHidden(true);
    m_view->setColumnCount(1);
    m_view->setIndentation(19);
    m_view->setMinimumWidth(40);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setContextMenuPolicy(Qt::CustomContextMenu);
    m_view->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_view->header()->setStretchLastSection(false);
    // The selection stays visible when the tree loses the focus.
    QPalette palette = m_view->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight,
                     palette.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Active, QPalette::HighlightedText));
    palette.setColor(QPalette::Base, QColor(0xff, 0xfb, 0xf0));
    m_view->setPalette(palette);
    layout->addWidget(m_view, 1);

    m_filterView = new QTreeWidget(this);
    m_filterView->setObjectName(QStringLiteral("nameFilterView"));
    m_filterView->setHeaderHidden(true);
    m_filterView->setIndentation(19);
    m_filterView->setPalette(palette);
    m_filterView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_filterView->installEventFilter(this);
    m_filterView->hide();
    layout->addWidget(m_filterView, 1);
    m_names = new NameFilter(m_filterView, this);

    connect(m_filterField, &QLineEdit::textChanged, this, [this](const QString& text) {
        const bool filtering = !text.trimmed().isEmpty();
        if (filtering)
            m_names->filter(text);
        m_filterView->setVisible(filtering);
        m_view->setVisible(!filtering);
    });
    connect(m_filterField, &QLineEdit::returnPressed, this, [this] {
        // Enter shows the first match, or the one chosen in the list.
        QTreeWidgetItem* item = m_filterView->currentItem();
        for (QTreeWidgetItemIterator it(m_filterView); !item && *it; ++it) {
            if ((*it)->data(0, Qt::UserRole + 2).isValid())
                item = *it;
        }
        if (item)
            selectPath(NameFilter::pathOf(item));
    });
    const auto choose = [this](QTreeWidgetItem* item) {
        const QString path = NameFilter::pathOf(item);
        if (!path.isEmpty())
            selectPath(path);
    };
    connect(m_filterView, &QTreeWidget::itemClicked, this, choose);
    connect(m_filterView, &QTreeWidget::itemActivated, this, choose);
    // Moving through the results with the keys selects as the tree does: the window's
    // commands and keys then act on the result.
    connect(m_filterView, &QTreeWidget::currentItemChanged, this, [choose](QTreeWidgetItem* item) {
        if (item)
            choose(item);
    });

    connect(m_view, &QTreeWidget::currentItemChanged, this, [this] {
        if (m_tree && !m_building)
            emit selectionChanged();
    });
}

DocumentTreePanel::~DocumentTreePanel()
{
    m_copy.reset(); // a copy still running stops before the tree goes
    m_tree.reset();
}

QTreeWidgetItem* DocumentTreePanel::selectedNode() const
{
    return m_view->currentItem();
}

TreeNode DocumentTreePanel::selected() const
{
    return m_tree ? DocumentTree::nodeValue(selectedNode()) : TreeNode();
}

QString DocumentTreePanel::selectedPath() const
{
    return m_tree ? DocumentTree::nodeData(selectedNode()).path : QString();
}

void DocumentTreePanel::expandSelected()
{
    if (QTreeWidgetItem* node = selectedNode())
        node->setExpanded(true);
}

void DocumentTreePanel::attachCommands(WindowCommands* commands)
{
    m_commands = commands;
    const auto command = [this, commands](WindowCommands::Command which, auto slot) {
        connect(commands->action(which), &QAction::triggered, this, slot);
    };
    command(WindowCommands::OpenAllFolders, [this] { expandAll(); });
    command(WindowCommands::CloseAllFolders, [this] { collapseAll(); });
    command(WindowCommands::Delete, [this] { deleteSelected(window()->windowTitle()); });
    command(WindowCommands::CopyTo, [this] { copySelected(); });
    command(WindowCommands::SetBookmark, [this] { bookmarkSelected(); });
    command(WindowCommands::OpenInWord, [this] { openSelectedInEditor(); });
    command(WindowCommands::CopyPath, [this] { copySelectedPath(); });
    command(WindowCommands::OpenFolder, [this] { openSelectedFolder(); });
    command(WindowCommands::FindByName, [this] { focusNameFilter(); });
    connect(commands->treeMenu(), &QMenu::aboutToShow, this, &DocumentTreePanel::updateCommands);
    connect(m_view, &QWidget::customContextMenuRequested, this, [this](const QPoint& position) {
        m_commands->treeMenu()->popup(m_view->viewport()->mapToGlobal(position));
    });
    // A result of the name filter has the tree's menu, for the node it names.
    m_filterView->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_filterView, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& position) {
                QTreeWidgetItem* item = m_filterView->itemAt(position);
                const QString path = NameFilter::pathOf(item);
                if (path.isEmpty() || !selectPath(path))
                    return;
                m_filterView->setCurrentItem(item);
                m_commands->treeMenu()->popup(m_filterView->viewport()->mapToGlobal(position));
            });
}

void DocumentTreePanel::updateCommands()
{
    if (!m_commands)
        return;
    m_commands->action(WindowCommands::GoToBookmark)->setEnabled(!m_bookmark.isEmpty());
    const bool belowRoot = selected().isBelowRoot();
    for (const auto which :
         {WindowCommands::Delete, WindowCommands::CopyPath, WindowCommands::OpenFolder,
          WindowCommands::AddFavorite, WindowCommands::CopyTo, WindowCommands::OpenInNewTab})
        m_commands->action(which)->setEnabled(belowRoot);
    m_commands->action(WindowCommands::OpenInWord)->setEnabled(Platform::isFile(selectedPath()));
}

bool DocumentTreePanel::isNormativeCollection() const
{
    return m_normativeButton->isChecked();
}

void DocumentTreePanel::setNormativeCollection(bool normative)
{
    (normative ? m_normativeButton : m_technicalButton)->setChecked(true);
}

bool DocumentTreePanel::chooseExternalDirectory()
{
    LibraryFolderDialog dialog(window());
    dialog.setChosenDirectory(m_externalDirectory);
    if (!dialog.chosenDirectory().trimmed().isEmpty())
        dialog.externalChoice()->setChecked(true);
    else
        dialog.suiteChoice()->setChecked(true);
    if (UserInteraction::current().run(dialog) != QDialog::Accepted)
        return false;
    m_externalDirectory = dialog.chosenDirectory();
    m_settings->setExternalDirectory(m_externalDirectory);
    return true;
}

bool DocumentTreePanel::loadCollection()
{
    m_collection = Collection();
    if (isNormativeCollection()) {
        CollectionLists::fillNormative(m_suiteDir, m_externalDirectory, m_collection.folders,
                                       m_collection.names);
        return true;
    }
    m_collection.technicalParts = true;
    return CollectionLists::fillTechnicalParts(m_suiteDir, m_collection.folders, m_collection.names,
                                               true);
}

void DocumentTreePanel::rebuild(const MatchOptions& options, const SearchResult* found)
{
    const bool technical = m_collection.technicalParts;
    const QString title = technical ? QStringLiteral("Технические части")
                                    : QStringLiteral("Нормативная документация");
    if (!found) {
        // The names are read again when next looked for: the library may have changed.
        m_names->setCollection(m_collection.folders, technical ? m_collection.names : QStringList(),
                               title);
        m_names->invalidate();
    }
    // The selection the build makes is not the user's: the viewer stays blank.
    const QScopedValueRollback building(m_building, true);
    m_tree.reset();
    m_tree = std::make_unique<DocumentTree>(m_collection.folders, m_collection.names, m_view, title,
                                            options, technical, m_sortByDate, found);
}

bool DocumentTreePanel::selectPath(const QString& path)
{
    if (!m_tree || path.isEmpty())
        return false;
    QTreeWidgetItem* node = m_tree->nodeForPath(path);
    if (!node)
        return false;
    if (m_view->currentItem() == node)
        emit selectionChanged(); // shown again
    else
        m_view->setCurrentItem(node); // shown as the user's own selection is
    m_view->scrollToItem(node);
    return true;
}

bool DocumentTreePanel::selectFoundDocument(const QString& path)
{
    // The search tree holds every found document, so a walk of it finds the node.
    for (QTreeWidgetItemIterator it(m_view); *it; ++it) {
        const DocumentTree::NodeData record = DocumentTree::nodeData(*it);
        if (record.kind != NodeKind::Document || record.path != path)
            continue;
        // Opening a folder sorts its children again, which moves the iterator on; the folders
        // are opened from the top, so that no opening takes away one opened below it.
        QTreeWidgetItem* node = *it;
        QList<QTreeWidgetItem*> folders;
        for (QTreeWidgetItem* up = node->parent(); up; up = up->parent())
            folders.prepend(up);
        for (QTreeWidgetItem* folder : std::as_const(folders))
            folder->setExpanded(true);
        m_view->setCurrentItem(node); // shown as any selection is
        m_view->scrollToItem(node);
        return true;
    }
    return false;
}

QStringList DocumentTreePanel::documentsInTreeOrder() const
{
    QStringList paths;
    for (QTreeWidgetItemIterator it(m_view); *it; ++it) {
        const DocumentTree::NodeData record = DocumentTree::nodeData(*it);
        if (record.kind == NodeKind::Document)
            paths.append(record.path);
    }
    return paths;
}

void DocumentTreePanel::bookmarkSelected()
{
    if (m_tree)
        m_bookmark = selectedPath();
}

bool DocumentTreePanel::goToBookmark()
{
    if (!m_tree)
        return false;
    bool found = false;
    {
        ProgressDialog progress(window(), QStringLiteral("Поиск"),
                                QStringLiteral("Идет поиск. Ждите..."));
        progress.showNow();
        // The lookup's own selections are not shown; the found node is shown after it.
        const QScopedValueRollback looking(m_building, true);
        const QScopedValueRollback busy(m_busy, true);
        found = m_tree->selectNodeByPath(m_bookmark);
    }
    window()->activateWindow();
    if (!found)
        AppMessageBox::show(window(), window()->windowTitle(),
                            QStringLiteral("Закладка не найдена!"));
    return found;
}

void DocumentTreePanel::expandAll()
{
    expandBelow(nullptr);
}

void DocumentTreePanel::expandBelow(QTreeWidgetItem* node)
{
    if (!m_tree)
        return;
    const QString shown = selectedPath();
    m_view->setUpdatesEnabled(false); // not repainted node by node
    {
        // Folders read again are new nodes: the one shown is found again by its path.
        const QScopedValueRollback building(m_building, true);
        m_tree->expandAll(node);
    }
    m_view->setUpdatesEnabled(true);
    if (!shown.isEmpty() && selectedPath() != shown)
        selectPath(shown);
}

void DocumentTreePanel::collapseAll()
{
    m_view->collapseAll();
    if (QTreeWidgetItem* node = selectedNode())
        m_view->scrollToItem(node);
    if (m_tree)
        emit selectionChanged();
}

void DocumentTreePanel::deleteSelected(const QString& caption)
{
    // The root is never deleted, also not through the shortcut.
    if (!m_tree || !selectedNode() || !selectedNode()->parent())
        return;
    // The question names what goes, and a slip of Enter keeps it.
    const QTreeWidgetItem* node = selectedNode();
    const DocumentTree::NodeData record = DocumentTree::nodeData(node);
    const auto documentsBelow = [](const QString& folder) {
        int documents = 0;
        LibraryScan::forEachDocument(LibraryScan::deep(folder),
                                     [&documents](const ScanNode&) { ++documents; });
        return documents;
    };
    const bool folder = record.kind == NodeKind::Folder;
    const QString name = node->text(0);
    const int documents = folder ? documentsBelow(record.path) : 1;
    const QString what =
        folder ? QStringLiteral("Папка «%1», документов в ней: %2").arg(name).arg(documents)
               : QStringLiteral("Документ «%1»").arg(name);
    const auto answer = AppMessageBox::show(
        window(), caption,
        what + (folder ? QStringLiteral("\n\nУдалить документы без возможности восстановления?")
                       : QStringLiteral("\n\nУдалить документ без возможности восстановления?")),
        QMessageBox::Question, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
        QMessageBox::No);
    if (answer != QMessageBox::Yes)
        return;
    TreeFileOperations::deleteNode(selectedNode());
    // What went is said; what is still there was protected from writing.
    const int left = folder ? (Platform::isFolder(record.path) ? documentsBelow(record.path) : 0)
                            : (Platform::isFile(record.path) ? 1 : 0);
    QString report =
        QStringLiteral("Удалено: ") +
        RussianPlural::counted(documents - left, QStringLiteral("документ"),
                               QStringLiteral("документа"), QStringLiteral("документов"));
    if (left > 0)
        report += QStringLiteral("; не удалено (защищены от записи): %1").arg(left);
    emit statusMessage(report);
    emit filesChanged();
}

void DocumentTreePanel::copySelected()
{
    if (!m_tree || !selectedNode() || !selectedNode()->parent() || m_copy)
        return;
    const std::optional<DocumentCopy> copy =
        TreeFileOperations::planCopy(selectedNode(), window(), m_settings->copyFolder());
    if (!copy)
        return;
    m_settings->setCopyFolder(copy->targetFolder());
    const QString report = StatusTexts::copied(copy->documentCount(), copy->targetFolder());
    // A large folder takes long: the copy runs in the background and can be stopped (what is
    // copied by then stays).
    auto stop = std::make_shared<std::atomic<bool>>(false);
    // A second before the start: a file system's clock ticks coarser than ours.
    const QDateTime started = QDateTime::currentDateTime().addSecs(-1);
    m_copy = std::make_unique<BackgroundTask>(
        window(), QStringLiteral("Копирование"), QStringLiteral("Копирование файлов. Ждите..."),
        BackgroundTask::Work{
            [copy = *copy, stop] { copy.run(stop.get()); }, [stop] { stop->store(true); }, {}});
    connect(m_copy.get(), &BackgroundTask::finished, this, [this, report, copy = *copy, started] {
        const bool stopped = m_copy->isCancelled();
        m_copy.release()->deleteLater(); // let go once this handler of its signal is done
        window()->activateWindow();
        // A stopped copy says what it copied; that stays in place.
        emit statusMessage(stopped ? QStringLiteral("Копирование остановлено. ") +
                                         StatusTexts::copied(copy.documentsWrittenSince(started),
                                                             copy.targetFolder())
                                   : report);
        emit filesChanged();
    });
}

void DocumentTreePanel::stopCopy()
{
    m_copy.reset();
}

void DocumentTreePanel::focusNameFilter()
{
    m_filterField->setFocus();
    m_filterField->selectAll();
}

void DocumentTreePanel::clearNameFilter()
{
    m_filterField->clear();
    m_view->setFocus();
}

bool DocumentTreePanel::eventFilter(QObject* watched, QEvent* event)
{
    // A middle click or Ctrl+click asks for the node in a new tab; the selection follows
    // there, not here.
    if (QTreeWidgetItem* item = newTabClickRow(m_view, watched, event)) {
        const DocumentTree::NodeData node = DocumentTree::nodeData(item);
        if (!node.path.isEmpty())
            emit newTabRequested(node.path);
        return true;
    }
    if (watched == m_view && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Asterisk) {
        // "*" opens the folders below as "Открыть все папки" does: each real folder once,
        // however many links lead to it (the view's own would open every path of a web).
        QTreeWidgetItem* current = m_view->currentItem();
        if (current && DocumentTree::nodeData(current).kind != NodeKind::Document)
            expandBelow(current);
        return true;
    }
    if ((watched == m_filterField || watched == m_filterView) &&
        event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Escape) {
            clearNameFilter();
            return true;
        }
        if (watched == m_filterField && (key == Qt::Key_Down || key == Qt::Key_Up) &&
            m_filterView->isVisible()) {
            m_filterView->setFocus();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void DocumentTreePanel::copySelectedPath()
{
    const QString path = selectedPath();
    if (!path.isEmpty())
        QGuiApplication::clipboard()->setText(QDir::toNativeSeparators(path));
}

void DocumentTreePanel::openSelectedFolder()
{
    const QString path = selectedPath();
    if (path.isEmpty())
        return;
    const QString folder = Platform::isFolder(path) ? path : QFileInfo(path).absolutePath();
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(folder)))
        AppMessageBox::show(window(), window()->windowTitle(),
                            QStringLiteral("Не удалось открыть папку: не найден файловый "
                                           "менеджер.\n") +
                                QDir::toNativeSeparators(folder));
}

void DocumentTreePanel::openSelectedInEditor()
{
    const QString path = selectedPath();
    if (!Platform::isFile(path))
        return;
    // The user hears when there is no program to open the document with.
    const QStringList command = Platform::editorCommand(path);
    const bool started = command.isEmpty()
                             ? QDesktopServices::openUrl(QUrl::fromLocalFile(path))
                             : QProcess::startDetached(command.first(), command.mid(1));
    if (!started)
        AppMessageBox::show(window(), window()->windowTitle(),
                            QStringLiteral("Не найдена программа, чтобы открыть документ:\n") +
                                QDir::toNativeSeparators(path));
}
