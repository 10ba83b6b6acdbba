#include "window/mainwindow.h"

#include "dialogs/aboutdialog.h"
#include "dialogs/appmessagebox.h"
#include "dialogs/helpwindow.h"
#include "dialogs/splashscreen.h"
#include "dialogs/userinteraction.h"
#include "find/findbox.h"
#include "find/indexkeeper.h"
#include "find/scopechooser.h"
#include "find/searchcontroller.h"
#include "find/searchresultsdock.h"
#include "links/normkeeper.h"
#include "platform/platform.h"
#include "platform/userworkdir.h"
#include "settings/appsettings.h"
#include "settings/settingsfile.h"
#include "support/appversion.h"
#include "support/singleinstance.h"
#include "support/statustexts.h"
#include "support/waitcursor.h"
#include "support/windowcommands.h"
#include "support/windowfront.h"
#include "tree/documenttreepanel.h"
#include "viewer/documentviewer.h"
#include "viewer/occurrencenavigator.h"
#include "viewer/titlepanel.h"
#include "window/documentopener.h"
#include "window/favoritesmenu.h"
#include "window/nodenavigation.h"
#include "window/recentmenu.h"
#include "window/sidepane.h"
#include "window/statusline.h"
#include "window/windowkeys.h"
#include "window/windowoutline.h"
#include "window/windowsession.h"
#include "window/windowtabs.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWebEngineView>

namespace {

const QString windowTitleText = QStringLiteral("Просмотр нормативной документации");

} // namespace

MainWindow::MainWindow(const QString& programFile, SplashScreen* splash, QWidget* parent)
    : QMainWindow(parent),
      m_suite(programFile.isEmpty() ? QCoreApplication::applicationFilePath() : programFile),
      m_splash(splash)
{
    setObjectName(QStringLiteral("mainWindow"));
    m_settings = new AppSettings(SettingsFile::choose(m_suite.shippedSettingsFile()), this);
    // Only the window's own title: a display name of the application would be appended to
    // every dialog's caption.
    setWindowTitle(windowTitleText);

    createParts();
    connectParts();
    start();
}

MainWindow::~MainWindow()
{
    delete m_search; // a search still running stops before the tree goes
    m_search = nullptr;
    m_treePanel->stopCopy();
}

void MainWindow::createParts()
{
    QFont windowFont(QStringLiteral("MS Sans Serif"));
    windowFont.setPixelSize(13);
    setFont(windowFont);

    auto* central = new QWidget(this);
    m_splitter = new PaneSplitter(central);
    m_treePanel = new DocumentTreePanel(m_splitter);
    m_treePanel->setSuiteDir(m_suite.suiteDir());
    m_treePanel->setSettings(m_settings);
    // The document's pane: the tabs' bar above the viewer (and the document beside it).
    auto* documentPane = new QWidget(m_splitter);
    m_viewer = new DocumentViewer(documentPane);
    m_splitter->setPanes(m_treePanel, documentPane);

    m_commands = new WindowCommands(m_treePanel->view(), this);
    m_search = new SearchController(m_treePanel, m_settings, this);
    m_opener = new DocumentOpener(
        m_treePanel, m_viewer, m_search, [this] { refresh(); }, this);
    m_navigation =
        new NodeNavigation([this](const QString& path) { return m_opener->select(path); }, this);
    m_titlePanel = new TitlePanel(m_viewer, this);
    m_favorites = new FavoritesMenu(m_settings, this);
    m_recent = new RecentMenu(m_settings, this);

    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_topRow = new TopRow(m_search->findBox(), m_search->scopeChooser(), m_commands, this);
    layout->addWidget(m_topRow);
    m_secondRow = new SecondRow({m_navigation->backButton(), m_navigation->forwardButton(),
                                 m_favorites->button(), m_recent->button()},
                                m_titlePanel, this);
    layout->addWidget(m_secondRow);
    layout->addWidget(m_splitter, 1);
    setCentralWidget(central);

    m_statusLine = new StatusLine(this);
    setStatusBar(m_statusLine);
    addDockWidget(Qt::BottomDockWidgetArea, m_search->resultList());
    m_norms = new WindowNorms(this, m_search->resultList(), m_viewer, m_titlePanel,
                              {[this] { return m_treePanel->collection().folders; },
                               [this] { return m_search->indexKeeper()->isEnabled(); }});
    m_outline = new WindowOutline(this, m_viewer, m_settings,
                                  m_commands->action(WindowCommands::ShowOutline),
                                  m_commands->action(WindowCommands::GoToPart));
    connect(m_outline, &WindowOutline::settingsNotKept, this, [this] {
        showStatusNote(
            QStringLiteral("Настройка не сохранена: файл настроек недоступен для записи"));
    });
    m_tabs = new WindowTabs({m_treePanel, m_viewer, m_navigation, m_opener, m_search,
                             m_topRow->zoomBox(), m_settings, m_commands,
                             [this] { return m_norms->keeper()->catalog(); },
                             [this] { showSelectedNode(); }},
                            documentPane, this);
    m_session =
        std::make_unique<WindowSession>(m_settings, m_treePanel, m_viewer, m_search, m_splitter);

    // Below this size the top row's controls would cover each other.
    setMinimumSize(minimumSizeHint().expandedTo(QSize(640, 420)));
}

void MainWindow::connectParts()
{
    const auto command = [this](WindowCommands::Command which, auto slot) {
        connect(m_commands->action(which), &QAction::triggered, this, slot);
    };
    command(WindowCommands::Open, &MainWindow::chooseLibraryFolder);
    command(WindowCommands::Refresh, &MainWindow::refresh);
    command(WindowCommands::GoToBookmark, &MainWindow::goToBookmark);
    command(WindowCommands::BeginSearch, &MainWindow::beginSearch);
    command(WindowCommands::CancelSearch, &MainWindow::refresh);
    command(WindowCommands::SortByDate, &MainWindow::toggleSortByDate);
    command(WindowCommands::AddFavorite, [this] {
        const TreeNode node = m_treePanel->selected();
        if (node.isBelowRoot())
            m_favorites->add(node.path, node.caption());
    });
    m_treePanel->attachCommands(m_commands);
    m_search->attachCommands(m_commands);
    m_search->setGuideFile(m_suite.helpFile());
    m_viewer->attachCommands(m_commands, this);
    connect(m_favorites, &FavoritesMenu::openRequested, m_opener, &DocumentOpener::open);
    connect(m_recent, &RecentMenu::openRequested, m_opener, &DocumentOpener::open);
    connect(m_recent, &RecentMenu::statusNote, this, &MainWindow::showStatusNote);
    connect(m_opener, &DocumentOpener::statusNote, this, &MainWindow::showStatusNote);
    connect(m_favorites, &FavoritesMenu::statusNote, this, &MainWindow::showStatusNote);

    connect(m_topRow, &TopRow::exitRequested, this, &QWidget::close);
    connect(m_secondRow->openButton(), &QPushButton::clicked, this,
            &MainWindow::chooseLibraryFolder);
    connect(m_topRow, &TopRow::helpRequested, this, &MainWindow::showHelp);
    connect(m_topRow, &TopRow::aboutRequested, this, &MainWindow::showAbout);
    connect(m_topRow->showDocumentBox(), &QCheckBox::clicked, this, &MainWindow::applyDocumentPane);
    connect(m_topRow->zoomBox(), &QComboBox::currentIndexChanged, this,
            [this] { m_viewer->setZoomFactor(m_topRow->selectedZoomFactor()); });
    connect(m_topRow, &TopRow::zoomChosen, this, &MainWindow::showSelectedNodeIfActive);

    connect(m_treePanel, &DocumentTreePanel::collectionChosen, this, &MainWindow::refresh);
    connect(m_treePanel, &DocumentTreePanel::selectionChanged, this, [this] {
        // A tab being shown shows its own document, with its own marks.
        if (!m_tabs->isShowingTab())
            showSelectedNodeIfActive();
        // The menu's shortcuts follow the selection, not only the last opening of the menu.
        m_treePanel->updateCommands();
        m_search->followSelection();
    });

    connect(m_search, &SearchController::statusMessage, this, &MainWindow::setStatusText);
    connect(m_search, &SearchController::statusNote, this, &MainWindow::showStatusNote);
    connect(m_search, &SearchController::subtreeSearched, this, &MainWindow::showSelectedNode);
    connect(m_search, &SearchController::collectionSearched, this,
            [this](const SearchResult* found) { rebuildTree(found); });
    connect(m_search, &SearchController::searchFinished, this, &MainWindow::searchFinished);
    connect(m_search, &SearchController::modeTextChanged, m_topRow, &TopRow::setSearchModeText);
    connect(m_search, &SearchController::treeRestoreRequested, this, &MainWindow::refresh);
    connect(m_search->indexKeeper(), &IndexKeeper::statusMessage, m_statusLine,
            &StatusLine::setIndexState);
    connect(m_treePanel, &DocumentTreePanel::filesChanged, m_search,
            &SearchController::updateIndex);
    connect(m_treePanel, &DocumentTreePanel::statusMessage, this, &MainWindow::setStatusText);

    connect(m_viewer, &DocumentViewer::statusNote, this, &MainWindow::showStatusNote);
    connect(m_viewer, &DocumentViewer::statusMessage, this, &MainWindow::setStatusText);
    connect(m_viewer, &DocumentViewer::libraryDocumentRequested, m_opener,
            &DocumentOpener::openLinked);
    connect(m_norms, &WindowNorms::followed, m_opener, &DocumentOpener::openFollowed);
    connect(m_norms, &WindowNorms::citingRequested, this,
            [this](const QString& path) { m_opener->openLinked(path, QString()); });
    connect(m_viewer, &DocumentViewer::shownChanged, this, [this] {
        m_norms->show(m_viewer->shownDocument(), m_treePanel->selected());
        const QString shown = m_viewer->shownDocument();
        const QString ownPages = UserWorkDir::base();
        // A library document, not a page of the program's own (a comparison).
        if (!shown.isEmpty() && (ownPages.isEmpty() || !shown.startsWith(ownPages + u'/'))) {
            const TreeNode selected = m_treePanel->selected();
            m_recent->recordShown(shown, selected.path == shown
                                             ? selected.caption()
                                             : QFileInfo(shown).completeBaseName());
        }
        if (m_tabs->isShowingTab())
            return;
        const TreeNode node = m_treePanel->selected();
        if (node.path == m_viewer->shownDocument())
            m_tabs->recordShown(node.caption(), node.title());
        else
            m_tabs->recordShown(QFileInfo(m_viewer->shownDocument()).completeBaseName(),
                                QDir::toNativeSeparators(m_viewer->shownDocument()));
    });
    connect(m_tabs, &WindowTabs::statusNote, this, &MainWindow::showStatusNote);
    connect(m_tabs, &WindowTabs::statusMessage, this, &MainWindow::setStatusText);
    connect(m_treePanel, &DocumentTreePanel::newTabRequested, this, [this](const QString& path) {
        m_tabs->openInNewTab(path, [this](const QString& p) { return m_treePanel->selectPath(p); });
    });
    connect(m_search->resultList(), &SearchResultsDock::documentChosenInNewTab, this,
            [this](const QString& path) {
                m_tabs->openInNewTab(
                    path, [this](const QString& p) { return m_treePanel->selectFoundDocument(p); });
            });
    connect(m_viewer, &DocumentViewer::newTabWanted, m_tabs, &WindowTabs::prepareNewTab);
    connect(m_viewer, &DocumentViewer::documentPartRequested, m_tabs,
            &WindowTabs::showDocumentPart);
    const auto rebuildNorms = [this] { m_norms->rebuild(m_treePanel->collection().folders, true); };
    connect(m_search->indexKeeper(), &IndexKeeper::finished, this, rebuildNorms);
    connect(m_commands->action(WindowCommands::Refresh), &QAction::triggered, this, rebuildNorms);
    connect(m_commands->action(WindowCommands::ShowLinks), &QAction::triggered, m_norms,
            &WindowNorms::showLinks);
    m_navigation->follow(m_viewer);
    auto* keys = new WindowKeys(this, m_viewer->view(), m_treePanel->view(),
                                [this] { return m_viewer->occurrences()->count() > 0; });
    connect(keys, &WindowKeys::closeRequested, this, [this] {
        // Esc first leaves a search within the documents found.
        if (m_search->isSearchingWithinFound())
            m_search->leaveWithinFound();
        else
            close();
    });
    connect(keys, &WindowKeys::helpRequested, this, &MainWindow::showHelp);
    connect(keys, &WindowKeys::findBoxRequested, this, [this] { m_search->findBox()->setFocus(); });
    connect(keys, &WindowKeys::documentPaneToggled, this, [this] {
        m_topRow->showDocumentBox()->toggle();
        applyDocumentPane();
    });
    connect(keys, &WindowKeys::enterPressed, this, [this](QWidget* widget) {
        // Enter in the tree opens the selected folder.
        if (widget == m_treePanel->view())
            m_treePanel->expandSelected();
    });
    connect(keys, &WindowKeys::stepRequested, m_viewer, &DocumentViewer::stepOccurrence);
    connect(keys, &WindowKeys::zoomStepRequested, m_topRow, &TopRow::stepZoom);
    connect(keys, &WindowKeys::zoomResetRequested, m_topRow, &TopRow::resetZoom);
    // The tree's keys act from the shown document too.
    m_commands->addKeyScope(m_viewer);
    connect(keys, &WindowKeys::backRequested, m_navigation, &NodeNavigation::goBack);
    connect(keys, &WindowKeys::forwardRequested, m_navigation, &NodeNavigation::goForward);
}

void MainWindow::start()
{
    m_singleInstance = new SingleInstance(this);
    if (!m_singleInstance->claim(m_suite.programFile())) {
        m_terminateRequested = true;
        return;
    }
    connect(m_singleInstance, &SingleInstance::showRequested, this,
            [this] { WindowFront::bringBack(this); });
    UserWorkDir::removeLeftovers(); // of programs that did not close (a crash, a power cut)

    m_session->restore(m_commands->action(WindowCommands::SortByDate));
    enableOpen();
    loadTree();
    m_topRow->useSettings(m_settings);
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
    const QString lastDocument = m_session->restoreLayout();
    const WindowTabs::Restored tabs = m_tabs->restore();
    m_search->updateCommands();
    if (m_splash)
        m_splash->hide();
    if (SettingsFile::cannotBeKept())
        AppMessageBox::show(this, windowTitle(), StatusTexts::settingsNotKept(settingsFile()));
    setStatusText(tabs.shown ? QString() : lastDocument);
    if (!tabs.note.isEmpty())
        showStatusNote(tabs.note);
    // The tree was built at start; now that the window is started, its index is brought up
    // to date.
    m_search->updateIndex();
    m_treePanel->view()->setFocus();
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
        m_tabs->save();
        m_session->save();
        // The working copies (highlighted and viewer's) go with this program's working folder.
        UserWorkDir::removeBase();
    }
    event->accept();
}

QString MainWindow::settingsFile() const
{
    return m_settings->fileName();
}

void MainWindow::loadTree()
{
    m_treePanel->loadCollection();
    m_norms->rebuild(m_treePanel->collection().folders);
    rebuildTree(nullptr);
}

void MainWindow::rebuildTree(const SearchResult* found)
{
    WaitCursor waitCursor;
    setStatusText(QStringLiteral("Загрузка..."));
    m_statusLine->repaint();
    // Nothing of the tree before stays shown: neither its document nor its title and counter.
    m_viewer->clear();
    // Links and redirects in documents may show the collection's files and working copies.
    m_viewer->setAllowedFolders(m_treePanel->collection().folders +
                                QStringList{UserWorkDir::base()});
    m_tabs->sidePane()->viewer()->setAllowedFolders(m_treePanel->collection().folders +
                                                    QStringList{UserWorkDir::base()});
    m_treePanel->rebuild(m_search->matchOptions(), found);
    // The viewer stays blank; the title panel names the root.
    const TreeNode root = m_treePanel->selected();
    m_viewer->showNode(NodeKind::None, QString(), root.caption(), root.title());
    m_viewer->setShowDocuments(m_topRow->showDocumentBox()->isChecked());
    m_navigation->keepExisting(m_treePanel->tree());
}

void MainWindow::refresh()
{
    if (m_splash)
        m_splash->showNow();
    enableOpen();
    m_search->setSearchMode(false);
    // The reader keeps the place: the node shown before is shown again when it is still there.
    const QString shown = m_treePanel->selectedPath();
    loadTree();
    if (m_started && !shown.isEmpty())
        m_treePanel->selectPath(shown);
    // The scope is the node selected now: in another library or collection, "Везде".
    m_search->followSelection();
    setStatusText(QString());
    if (m_started)
        m_search->updateIndex();
    if (m_splash)
        m_splash->hide();
}

void MainWindow::enableOpen()
{
    // Another folder can be chosen for the normative documents only.
    m_secondRow->openButton()->setEnabled(m_treePanel->isNormativeCollection());
    m_commands->action(WindowCommands::Open)->setEnabled(m_treePanel->isNormativeCollection());
}

void MainWindow::chooseLibraryFolder()
{
    if (m_treePanel->chooseExternalDirectory())
        refresh();
}

void MainWindow::showSelectedNode()
{
    if (!m_treePanel->tree())
        return;
    WaitCursor waitCursor;
    const TreeNode node = m_treePanel->selected();
    if (node.exists)
        m_navigation->recordShown(node.path);
    m_viewer->showNode(node.kind, node.path, node.caption(), node.title(),
                       m_search->highlighting());
    // The tree keeps the order its builder gives; the control never re-sorts by itself.
    m_treePanel->view()->setSortingEnabled(false);
}

void MainWindow::showSelectedNodeIfActive()
{
    // Only a choice the user makes in the main window is shown: none while another window of
    // the program (the splash, a progress window) is the active one. Without a window manager
    // no window may count as active; the user is then still in this one.
    const QWidget* active = QApplication::activeWindow();
    if (!active || active == this)
        showSelectedNode();
}

void MainWindow::applyDocumentPane()
{
    if (!m_treePanel->tree())
        return;
    const bool show = m_topRow->showDocumentBox()->isChecked();
    m_viewer->setShowDocuments(show);
    showSelectedNode();
    m_splitter->setDocumentPaneShown(show);
}

void MainWindow::beginSearch()
{
    m_search->run();
    m_treePanel->view()->setFocus();
}

void MainWindow::goToBookmark()
{
    m_session->takeBookmark();
    m_treePanel->goToBookmark();
    m_viewer->setShowDocuments(m_topRow->showDocumentBox()->isChecked());
    showSelectedNode();
}

void MainWindow::toggleSortByDate()
{
    // The action has already turned its check mark over.
    const bool byDate = m_commands->action(WindowCommands::SortByDate)->isChecked();
    m_treePanel->setSortByDate(byDate);
    m_settings->setSortByDate(byDate);
    refresh();
}

void MainWindow::showHelp()
{
    // From the find box, the section on queries.
    const QWidget* focus = focusWidget();
    const bool inFindBox =
        focus && (focus == m_search->findBox() || m_search->findBox()->isAncestorOf(focus));
    if (!HelpWindow::open(this, m_suite.helpFile(),
                          inFindBox ? QStringLiteral("query") : QString()))
        AppMessageBox::show(this, windowTitle(),
                            QStringLiteral("Файл справки не найден:\n") + m_suite.helpFile());
}

void MainWindow::showAbout()
{
    AboutDialog dialog(AppVersion::text(), QFileInfo(m_suite.helpFile()).absolutePath(),
                       settingsFile(), this);
    UserInteraction::current().run(dialog);
}

void MainWindow::showStatusNote(const QString& note)
{
    m_statusLine->showNote(note);
}

QString MainWindow::statusText() const
{
    return m_statusLine->text();
}

void MainWindow::setStatusText(const QString& text)
{
    m_statusLine->setText(text);
}
