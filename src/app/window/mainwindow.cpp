#include "mainwindow.h"

#include "aboutdialog.h"
#include "appmessagebox.h"
#include "appsettings.h"
#include "appversion.h"
#include "documentpage.h"
#include "documenttreepanel.h"
#include "documentviewer.h"
#include "findbox.h"
#include "helpwindow.h"
#include "keybindings.h"
#include "libraryfolderdialog.h"
#include "nodenavigation.h"
#include "occurrencenavigator.h"
#include "pictures.h"
#include "platform.h"
#include "searchcontroller.h"
#include "searchresultsdock.h"
#include "settingsfile.h"
#include "singleinstance.h"
#include "splashscreen.h"
#include "titlepanel.h"
#include "userinteraction.h"
#include "userworkdir.h"
#include "waitcursor.h"
#include "windowcommands.h"
#include "windowfront.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWebEngineView>

namespace {

const QString windowTitleText = QStringLiteral("Просмотр нормативной документации");

QToolButton* flatButton(QWidget* parent, const QString& name, const QIcon& icon,
                        const QString& hint)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setAutoRaise(true);
    button->setIcon(icon);
    button->setToolTip(hint);
    return button;
}

// A button that runs a command: its icon, and its hint with the command's key.
QToolButton* commandButton(QWidget* parent, const QString& name, QAction* action,
                           const QString& hint)
{
    QToolButton* button = flatButton(parent, name, action->icon(), hint);
    button->setEnabled(action->isEnabled());
    QObject::connect(button, &QToolButton::clicked, action, &QAction::trigger);
    QObject::connect(action, &QAction::enabledChanged, button, &QWidget::setEnabled);
    return button;
}

} // namespace

MainWindow::MainWindow(const QString& programFile, SplashScreen* splash, QWidget* parent)
    : QMainWindow(parent), m_splash(splash)
{
    setObjectName(QStringLiteral("mainWindow"));
    m_programFile =
        QFileInfo(programFile.isEmpty() ? QCoreApplication::applicationFilePath() : programFile)
            .absoluteFilePath();
    const QFileInfo program(m_programFile);
    const QString programFolder = program.absolutePath() + u'/';
    m_settingsFile = SettingsFile::choose(programFolder + QStringLiteral("Lectoria/Lectoria.ini"));
    m_helpFile = programFolder + QStringLiteral("Lectoria/") + program.completeBaseName() +
                 QStringLiteral(".htm");
    // Only the window's own title: a display name of the application would be appended to
    // every dialog's caption.
    setWindowTitle(windowTitleText);

    createParts();
    connectParts();
    start();
}

MainWindow::~MainWindow()
{
    qApp->removeEventFilter(this);
    delete m_search; // a search still running stops before the tree goes
    m_search = nullptr;
    m_treePanel->stopCopy();
}

void MainWindow::createParts()
{
    m_icons = Pictures::imageList();
    QFont windowFont(QStringLiteral("MS Sans Serif"));
    windowFont.setPixelSize(13);
    setFont(windowFont);

    auto* central = new QWidget(this);
    m_splitter = new QSplitter(Qt::Horizontal, central);
    m_splitter->setObjectName(QStringLiteral("splitter"));
    m_splitter->setHandleWidth(3);
    m_splitter->setChildrenCollapsible(false);
    m_treePanel = new DocumentTreePanel(m_icons, m_splitter);
    m_treePanel->setSuiteDir(suiteDir());
    m_viewer = new DocumentViewer(m_splitter);
    m_splitter->addWidget(m_treePanel);
    m_splitter->addWidget(m_viewer);
    m_splitter->setStretchFactor(0, 0);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setSizes({252, 800});

    m_commands = new WindowCommands(m_icons, m_treePanel->view(), this);
    m_search = new SearchController(m_treePanel, m_settingsFile, this);
    m_navigation = new NodeNavigation(
        [this](const QString& path) { return m_treePanel->selectPath(path); }, this);
    m_titlePanel = new TitlePanel(m_viewer->occurrences(), this);

    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(createTopRow());
    layout->addWidget(createSecondRow());
    layout->addWidget(m_splitter, 1);
    setCentralWidget(central);

    m_statusBar = new QStatusBar(this);
    m_statusBar->setObjectName(QStringLiteral("statusBar"));
    m_statusBar->setFixedHeight(25);
    m_statusBar->setSizeGripEnabled(false);
    setStatusBar(m_statusBar);
    addDockWidget(Qt::BottomDockWidgetArea, m_search->resultList());

    // Below this size the top row's controls would cover each other.
    setMinimumSize(minimumSizeHint().expandedTo(QSize(640, 420)));
}

QWidget* MainWindow::createTopRow()
{
    auto* row = new QFrame(this);
    row->setObjectName(QStringLiteral("topRow"));
    row->setFrameShape(QFrame::StyledPanel);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(2, 2, 2, 2);

    auto* logoPanel = new QFrame(row);
    logoPanel->setObjectName(QStringLiteral("logoPanel"));
    logoPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    logoPanel->setFixedWidth(55);
    auto* logoLayout = new QHBoxLayout(logoPanel);
    logoLayout->setContentsMargins(2, 2, 2, 2);
    m_logo = new QLabel(logoPanel);
    m_logo->setObjectName(QStringLiteral("logo"));
    m_logo->setPixmap(Pictures::logo(40));
    m_logo->setAlignment(Qt::AlignCenter);
    logoLayout->addWidget(m_logo);
    layout->addWidget(logoPanel);

    m_exitButton = new QPushButton(style()->standardIcon(QStyle::SP_DialogCloseButton),
                                   QStringLiteral("Выход"), row);
    m_exitButton->setObjectName(QStringLiteral("exitButton"));
    layout->addWidget(m_exitButton);

    auto* findLabel = new QLabel(QStringLiteral("Поиск:"), row);
    findLabel->setObjectName(QStringLiteral("findLabel"));
    findLabel->setToolTip(QStringLiteral("Поиск по контексту в документах"));
    layout->addWidget(findLabel);
    m_search->findBox()->setParent(row);
    layout->addWidget(m_search->findBox());

    layout->addWidget(commandButton(row, QStringLiteral("beginSearchButton"),
                                    m_commands->action(WindowCommands::BeginSearch),
                                    QStringLiteral("Начать поиск (Ctrl+F)")));
    layout->addWidget(commandButton(row, QStringLiteral("cancelSearchButton"),
                                    m_commands->action(WindowCommands::CancelSearch),
                                    QStringLiteral("Отменить поиск (Ctrl+Z)")));
    layout->addWidget(commandButton(row, QStringLiteral("searchOptionsButton"),
                                    m_commands->action(WindowCommands::SearchOptions),
                                    QStringLiteral("Параметры поиска (Ctrl+P)")));

    m_zoomBox = new QComboBox(row);
    m_zoomBox->setObjectName(QStringLiteral("zoomBox"));
    m_zoomBox->addItems({QStringLiteral("100%"), QStringLiteral("120%"), QStringLiteral("140%"),
                         QStringLiteral("160%"), QStringLiteral("180%"), QStringLiteral("200%")});
    m_zoomBox->setToolTip(QStringLiteral("Масштаб"));
    m_zoomBox->setFixedWidth(65);
    layout->addWidget(m_zoomBox);

    m_showDocumentBox = new QCheckBox(QStringLiteral("F5 - Показать документ"), row);
    m_showDocumentBox->setObjectName(QStringLiteral("showDocumentBox"));
    m_showDocumentBox->setChecked(true);
    layout->addWidget(m_showDocumentBox);
    layout->addStretch(1);

    m_aboutButton = flatButton(row, QStringLiteral("aboutButton"),
                               style()->standardIcon(QStyle::SP_MessageBoxInformation),
                               QStringLiteral("О программе"));
    m_helpButton = flatButton(row, QStringLiteral("helpButton"),
                              style()->standardIcon(QStyle::SP_DialogHelpButton),
                              QStringLiteral("Справка (F1)"));
    layout->addWidget(m_aboutButton);
    layout->addWidget(m_helpButton);
    return row;
}

QWidget* MainWindow::createSecondRow()
{
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(2, 2, 2, 2);
    m_openButton = new QPushButton(m_icons.value(5), QStringLiteral("Открыть"), row);
    m_openButton->setObjectName(QStringLiteral("openButton"));
    m_openButton->setToolTip(QStringLiteral("Выбор директории с документацией (Ctrl+O)"));
    layout->addWidget(m_openButton);
    for (QToolButton* button : {m_navigation->backButton(), m_navigation->forwardButton()}) {
        button->setParent(row);
        layout->addWidget(button);
    }
    m_titlePanel->setParent(row);
    layout->addWidget(m_titlePanel, 1);
    return row;
}

void MainWindow::connectParts()
{
    const auto command = [this](WindowCommands::Command which, auto slot) {
        connect(m_commands->action(which), &QAction::triggered, this, slot);
    };
    command(WindowCommands::Open, &MainWindow::chooseLibraryFolder);
    command(WindowCommands::Refresh, &MainWindow::refresh);
    command(WindowCommands::OpenAllFolders, [this] { m_treePanel->expandAll(); });
    command(WindowCommands::CloseAllFolders, [this] { m_treePanel->collapseAll(); });
    command(WindowCommands::Delete, [this] { m_treePanel->deleteSelected(windowTitle()); });
    command(WindowCommands::CopyTo, [this] { m_treePanel->copySelected(); });
    command(WindowCommands::SetBookmark, [this] { m_treePanel->bookmarkSelected(); });
    command(WindowCommands::GoToBookmark, &MainWindow::goToBookmark);
    command(WindowCommands::BeginSearch, &MainWindow::beginSearch);
    command(WindowCommands::CancelSearch, &MainWindow::refresh);
    command(WindowCommands::SearchOptions, [this] { m_search->editOptions(); });
    command(WindowCommands::SortByDate, &MainWindow::toggleSortByDate);
    command(WindowCommands::OpenInWord, [this] { m_treePanel->openSelectedInEditor(); });
    connect(m_commands->treeMenu(), &QMenu::aboutToShow, this, &MainWindow::updateTreeCommands);

    connect(m_exitButton, &QPushButton::clicked, this, &QWidget::close);
    connect(m_openButton, &QPushButton::clicked, this, &MainWindow::chooseLibraryFolder);
    connect(m_helpButton, &QToolButton::clicked, this, &MainWindow::showHelp);
    connect(m_aboutButton, &QToolButton::clicked, this, &MainWindow::showAbout);
    connect(m_showDocumentBox, &QCheckBox::clicked, this, &MainWindow::applyDocumentPane);
    connect(m_zoomBox, &QComboBox::currentIndexChanged, this,
            [this] { m_viewer->setZoomFactor(selectedZoomFactor()); });
    connect(m_zoomBox, &QComboBox::activated, this, &MainWindow::applyZoom);

    connect(m_treePanel, &DocumentTreePanel::collectionChosen, this, &MainWindow::refresh);
    connect(m_treePanel, &DocumentTreePanel::selectionChanged, this, [this] {
        // Only a selection the user makes in the main window is shown: none while another
        // window of the program (the splash, a progress window) is the active one. Without a
        // window manager no window may count as active; the user is then still in this one.
        const QWidget* active = QApplication::activeWindow();
        if (!active || active == this)
            showSelectedNode();
        // The menu's shortcuts follow the selection, not only the last opening of the menu.
        updateTreeCommands();
    });
    connect(m_treePanel->view(), &QWidget::customContextMenuRequested, this,
            [this](const QPoint& position) {
                m_commands->treeMenu()->popup(
                    m_treePanel->view()->viewport()->mapToGlobal(position));
            });

    connect(m_search, &SearchController::stateChanged, this, &MainWindow::updateSearchCommands);
    connect(m_search, &SearchController::statusMessage, this, &MainWindow::setStatusText);
    connect(m_search, &SearchController::subtreeSearched, this, &MainWindow::showSelectedNode);
    connect(m_search, &SearchController::collectionSearched, this,
            [this](const QStringList& rootDirs, const QStringList& names,
                   const SearchResult* found) { rebuildTree(rootDirs, names, true, found); });
    connect(m_search, &SearchController::searchFinished, this, &MainWindow::searchFinished);

    connect(m_titlePanel, &TitlePanel::stepRequested, m_viewer, &DocumentViewer::stepOccurrence);
    connect(m_viewer, &DocumentViewer::statusNote, this, &MainWindow::showStatusNote);
    connect(m_viewer, &DocumentViewer::linkActivated, this, &MainWindow::followLink);
    connect(m_viewer, &DocumentViewer::backRequested, m_navigation, &NodeNavigation::goBack);
    connect(m_viewer, &DocumentViewer::forwardRequested, m_navigation, &NodeNavigation::goForward);
    connect(m_navigation, &NodeNavigation::changed, this, [this] {
        m_viewer->setHistoryAvailable(m_navigation->canGoBack(), m_navigation->canGoForward());
    });
    const auto addShortcut = [this](const QList<QKeySequence>& keys, int direction) {
        auto* action = new QAction(this);
        action->setShortcuts(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this,
                [this, direction] { m_viewer->stepOccurrence(direction); });
        addAction(action);
    };
    addShortcut(KeyBindings::withoutF3(QKeySequence::FindNext), 1);
    addShortcut(QKeySequence::keyBindings(QKeySequence::FindPrevious), -1);
    // Window keys are seen before the focused control's own handling.
    qApp->installEventFilter(this);
}

void MainWindow::start()
{
    m_singleInstance = new SingleInstance(this);
    if (!m_singleInstance->claim(m_programFile)) {
        m_terminateRequested = true;
        return;
    }
    connect(m_singleInstance, &SingleInstance::showRequested, this,
            [this] { WindowFront::bringBack(this); });
    UserWorkDir::removeLeftovers(); // of programs that did not close (a crash, a power cut)

    const AppSettings stored(m_settingsFile);
    m_treePanel->setNormativeCollection(stored.normativeCollection());
    m_commands->action(WindowCommands::SortByDate)->setChecked(stored.sortByDate());
    m_treePanel->setSortByDate(stored.sortByDate());
    m_treePanel->setBookmark(stored.bookmarkFile());
    m_search->findBox()->setHistory(stored.searchHistory());
    m_openButton->setEnabled(m_treePanel->isNormativeCollection());
    m_commands->action(WindowCommands::Open)->setEnabled(m_treePanel->isNormativeCollection());
    loadTree();
    const int scale = stored.zoomIndex();
    // An index outside the list selects nothing.
    m_zoomBox->setCurrentIndex(scale >= 0 && scale < m_zoomBox->count() ? scale : -1);
}

bool MainWindow::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate)
        firstActivation();
    return QMainWindow::event(event);
}

void MainWindow::firstActivation()
{
    if (m_started || m_terminateRequested)
        return;
    m_started = true;
    m_titlePanel->setTitle(m_treePanel->nodeTitle(m_treePanel->selectedNode()), -1, 0);
    const AppSettings stored(m_settingsFile);
    applyStoredTreeWidth(stored.treeWidth());
    m_search->loadSettings();
    updateSearchCommands();
    if (m_splash)
        m_splash->hide();
    m_treePanel->setExternalDirectory(stored.externalDirectory());
    refresh();
    m_treePanel->view()->setFocus();
}

void MainWindow::applyStoredTreeWidth(int width)
{
    // The stored width is that of the tree, which fills its pane.
    if (width <= 0)
        return;
    const int total = m_splitter->width();
    m_splitter->setSizes({width, qMax(0, total - width - m_splitter->handleWidth())});
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // A running search or copy is stopped (a search's findings are dropped, what a copy has
    // copied stays) and the window closes.
    if (m_search->isSearching())
        m_search->cancel();
    m_treePanel->stopCopy();
    if (m_treePanel->isBusy()) {
        event->ignore();
        return;
    }
    if (!m_closed && !m_terminateRequested) {
        m_closed = true;
        saveOnClose();
    }
    event->accept();
}

void MainWindow::saveOnClose()
{
    const AppSettings stored(m_settingsFile);
    stored.setTreeWidth(m_treePanel->view()->width());
    stored.setNormativeCollection(m_treePanel->isNormativeCollection());
    stored.setBookmarkFile(m_treePanel->selectedPath()); // the node shown at close
    stored.setLastContext(m_search->context());
    // The working copies (highlighted and viewer's) go with this program's working folder.
    UserWorkDir::removeBase();
}

QString MainWindow::suiteDir() const
{
    const QString folder = QFileInfo(m_programFile).absolutePath() + u'/';
    const qsizetype cut = folder.lastIndexOf(u'/', folder.size() - 2);
    // A program in the file system's root has no parent: the suite is the root itself.
    return cut < 0 ? folder : folder.left(cut + 1);
}

void MainWindow::loadTree()
{
    QStringList rootDirs;
    QStringList names;
    m_treePanel->collectionFolders(rootDirs, names);
    rebuildTree(rootDirs, names, false, nullptr);
}

void MainWindow::rebuildTree(const QStringList& rootDirs, const QStringList& names, bool search,
                             const SearchResult* found)
{
    WaitCursor waitCursor;
    setStatusText(QStringLiteral("Загрузка..."));
    m_statusBar->repaint();
    m_viewer->showBlank();
    // Links and redirects in documents may show the collection's files and working copies.
    m_viewer->setAllowedFolders(rootDirs + QStringList{UserWorkDir::base()});
    m_treePanel->rebuild(rootDirs, names, search, m_search->matchOptions(), m_search->context(),
                         found);
    m_viewer->setShowDocuments(m_showDocumentBox->isChecked());
    m_navigation->keepOnly(
        [this](const QString& path) { return m_treePanel->tree()->hasNodeForPath(path); });
}

void MainWindow::refresh()
{
    if (m_splash)
        m_splash->showNow();
    m_openButton->setEnabled(m_treePanel->isNormativeCollection());
    m_commands->action(WindowCommands::Open)->setEnabled(m_treePanel->isNormativeCollection());
    m_search->setSearchMode(false);
    loadTree();
    setStatusText(QString());
    if (m_splash)
        m_splash->hide();
}

void MainWindow::chooseLibraryFolder()
{
    LibraryFolderDialog dialog(this);
    dialog.setChosenDirectory(m_treePanel->externalDirectory());
    if (!dialog.chosenDirectory().trimmed().isEmpty())
        dialog.externalChoice()->setChecked(true);
    else
        dialog.suiteChoice()->setChecked(true);
    if (UserInteraction::current().run(dialog) != QDialog::Accepted)
        return;
    m_treePanel->setExternalDirectory(dialog.chosenDirectory());
    AppSettings(m_settingsFile).setExternalDirectory(dialog.chosenDirectory());
    refresh();
}

void MainWindow::showSelectedNode()
{
    if (!m_treePanel->tree())
        return;
    WaitCursor waitCursor;
    QTreeWidgetItem* node = m_treePanel->selectedNode();
    const DocumentTree::NodeData record = DocumentTree::nodeData(node);
    if (node)
        m_navigation->recordShown(record.path);
    m_viewer->showNode(record.kind, node ? record.path : QString(),
                       node ? node->text(0) : QString(), m_search->highlighting());
    // The tree keeps the order its builder gives; the control never re-sorts by itself.
    m_treePanel->view()->setSortingEnabled(false);
    m_titlePanel->setTitle(m_treePanel->nodeTitle(node), m_viewer->shownMarks(),
                           m_viewer->shownInMarkup());
}

void MainWindow::applyZoom()
{
    AppSettings(m_settingsFile).setZoomIndex(m_zoomBox->currentIndex());
    const QWidget* active = QApplication::activeWindow();
    if (!active || active == this)
        showSelectedNode();
}

double MainWindow::selectedZoomFactor() const
{
    if (m_zoomBox->currentIndex() < 0)
        return 1.0;
    QString text = m_zoomBox->currentText().trimmed();
    const qsizetype percent = text.indexOf(u'%');
    if (percent >= 0)
        text.truncate(percent);
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok && value > 0 ? float(value * 0.01) : 1.0;
}

void MainWindow::applyDocumentPane()
{
    if (!m_treePanel->tree())
        return;
    const bool show = m_showDocumentBox->isChecked();
    m_viewer->setShowDocuments(show);
    showSelectedNode();
    m_viewer->setVisible(show);
    m_splitter->handle(1)->setVisible(show); // the splitter goes with the document pane
    m_splitter->refresh();
    if (show) {
        // A fifth of the window, but never so narrow that the tree cannot be read.
        const int treeWidth = qMin(qMax(frameGeometry().width() / 5, 240), m_splitter->width() / 2);
        m_splitter->setSizes({treeWidth, qMax(0, m_splitter->width() - treeWidth)});
    }
}

void MainWindow::updateTreeCommands()
{
    const QTreeWidgetItem* node = m_treePanel->selectedNode();
    m_commands->action(WindowCommands::GoToBookmark)
        ->setEnabled(!m_treePanel->bookmark().isEmpty());
    const bool belowRoot = node && node->parent();
    m_commands->action(WindowCommands::Delete)->setEnabled(belowRoot);
    m_commands->action(WindowCommands::CopyTo)->setEnabled(belowRoot);
    m_commands->action(WindowCommands::OpenInWord)
        ->setEnabled(Platform::isFile(m_treePanel->selectedPath()));
    updateSearchCommands();
}

void MainWindow::updateSearchCommands()
{
    const bool hasContext = !m_search->findBox()->currentText().trimmed().isEmpty();
    m_commands->action(WindowCommands::BeginSearch)->setEnabled(hasContext);
    m_commands->action(WindowCommands::CancelSearch)->setEnabled(m_search->isSearchMode());
}

void MainWindow::beginSearch()
{
    m_search->run();
    m_treePanel->view()->setFocus();
}

void MainWindow::goToBookmark()
{
    m_treePanel->goToBookmark();
    m_viewer->setShowDocuments(m_showDocumentBox->isChecked());
    showSelectedNode();
}

void MainWindow::toggleSortByDate()
{
    // The action has already turned its check mark over.
    const bool byDate = m_commands->action(WindowCommands::SortByDate)->isChecked();
    m_treePanel->setSortByDate(byDate);
    AppSettings(m_settingsFile).setSortByDate(byDate);
    refresh();
}

void MainWindow::showHelp()
{
    if (!HelpWindow::open(this, m_helpFile))
        AppMessageBox::show(this, windowTitle(),
                            QStringLiteral("Файл справки не найден:\n") + m_helpFile);
}

void MainWindow::showAbout()
{
    AboutDialog dialog(AppVersion::text(), QFileInfo(m_helpFile).absolutePath(), m_settingsFile,
                       this);
    UserInteraction::current().run(dialog);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this) {
        // The mouse's own back and forward buttons go through the nodes shown.
        const Qt::MouseButton button = static_cast<QMouseEvent*>(event)->button();
        if (button == Qt::BackButton || button == Qt::ForwardButton) {
            button == Qt::BackButton ? m_navigation->goBack() : m_navigation->goForward();
            return true;
        }
    }
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        const auto* keyEvent = static_cast<QKeyEvent*>(event);
        // Enter in the viewer steps through the occurrences of the shown copy.
        if ((keyEvent->key() == Qt::Key_Return || keyEvent->key() == Qt::Key_Enter) &&
            widget == QApplication::focusWidget() && m_viewer->view()->isAncestorOf(widget) &&
            m_viewer->occurrences()->count() > 0) {
            m_viewer->stepOccurrence(keyEvent->modifiers() & Qt::ShiftModifier ? -1 : 1);
            return true;
        }
        // Seen once per key: at the focused control of this window (or the window itself).
        // At the control only as the user pressed it: the browser hands a key it did not use
        // back as a new event, which would run the command a second time (help shown twice).
        const QWidget* focus = QApplication::focusWidget();
        if (widget->window() == this &&
            ((widget == focus && event->spontaneous()) || (!focus && widget == this)))
            handleKey(widget, keyEvent->key());
    }
    if (event->type() == QEvent::MouseButtonDblClick && watched == m_logo)
        showAbout();
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::handleKey(QWidget* widget, int key)
{
    switch (key) {
    case Qt::Key_Escape:
        close();
        break;
    case Qt::Key_F1:
        showHelp();
        break;
    case Qt::Key_F3:
        m_search->findBox()->setFocus();
        break;
    case Qt::Key_F5:
        m_showDocumentBox->setChecked(!m_showDocumentBox->isChecked());
        applyDocumentPane();
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Enter in the tree opens the selected folder.
        if (widget == m_treePanel->view() && m_treePanel->selectedNode())
            m_treePanel->selectedNode()->setExpanded(true);
        break;
    default:
        break;
    }
}

bool MainWindow::isLibraryDocument(const QString& path) const
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return (suffix == u"htm" || suffix == u"html") && Platform::isFile(path) &&
           m_viewer->isAllowedFile(path) && !path.startsWith(UserWorkDir::base() + u'/');
}

void MainWindow::followLink(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    if (scheme == u"http" || scheme == u"https" || scheme == u"ftp" || scheme == u"mailto") {
        QDesktopServices::openUrl(url); // the desktop's browser or mail program, never here
        return;
    }
    if (!url.isLocalFile())
        return;
    QString path = QDir::cleanPath(url.toLocalFile());
    // A link of the highlighted copy resolves in the working folder: it means the same place
    // beside the document itself.
    const QString workDir = QDir::cleanPath(UserWorkDir::highlightWorkDir());
    const QString shown = m_viewer->shownDocument();
    if (!shown.isEmpty() && path.startsWith(workDir + u'/'))
        path = QDir::cleanPath(QFileInfo(shown).path() + u'/' + path.mid(workDir.size() + 1));
    if (!isLibraryDocument(path)) {
        showStatusNote(QStringLiteral("Ссылка ведёт за пределы библиотеки: ") +
                       QDir::toNativeSeparators(path));
        return;
    }
    m_viewer->setPendingAnchor(url.fragment());
    if (!m_treePanel->selectPath(path)) {
        m_viewer->setPendingAnchor(QString());
        showStatusNote(QStringLiteral("Документа нет в дереве: ") + QDir::toNativeSeparators(path));
    }
}

void MainWindow::showStatusNote(const QString& note)
{
    // A note for a moment; the status it covers comes back unless something else replaced it.
    const QString before = statusText();
    setStatusText(note);
    QTimer::singleShot(3000, this, [this, note, before] {
        if (statusText() == note)
            setStatusText(before);
    });
}

QString MainWindow::statusText() const
{
    return m_statusBar->currentMessage();
}

void MainWindow::setStatusText(const QString& text)
{
    if (text.isEmpty())
        m_statusBar->clearMessage();
    else
        m_statusBar->showMessage(text);
}
