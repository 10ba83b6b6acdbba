#pragma once

#include "library/suitelayout.h"
#include "links/windownorms.h"
#include "window/panesplitter.h"
#include "window/secondrow.h"
#include "window/toprow.h"

#include <QMainWindow>
#include <QString>

#include <memory>

class AppSettings;
class DocumentOpener;
class DocumentTreePanel;
class DocumentViewer;
class FavoritesMenu;
class RecentMenu;
class NodeNavigation;
class NormKeeper;
class NormLinksDock;
class QCheckBox;
class QComboBox;
class QPushButton;
class QSplitter;
class SearchController;
class SingleInstance;
class SplashScreen;
class StatusLine;
class TitlePanel;
class WindowNorms;
class WindowOutline;
class WindowTabs;
class WindowSession;
class WindowCommands;
struct SearchResult;

// The main window: the document tree beside the viewer, the find box and the commands. It
// composes the parts, each of which owns its concern, and carries what one part's change
// means for the others.
class MainWindow final : public QMainWindow
{
    Q_OBJECT
public:
    // programFile: the program's own path (settings and suite folders are found from it);
    // empty means the running program. The window owns the splash from now on.
    explicit MainWindow(const QString& programFile = QString(), SplashScreen* splash = nullptr,
                        QWidget* parent = nullptr);
    ~MainWindow() override;

    // Set when another instance runs: the program ends without showing this window.
    bool terminateRequested() const { return m_terminateRequested; }
    // The first activation has completed the start.
    bool isStarted() const { return m_started; }

    DocumentTreePanel* treePanel() const { return m_treePanel; }
    DocumentViewer* viewer() const { return m_viewer; }
    TitlePanel* titlePanel() const { return m_titlePanel; }
    SearchController* search() const { return m_search; }
    WindowCommands* commands() const { return m_commands; }
    NodeNavigation* navigation() const { return m_navigation; }
    FavoritesMenu* favorites() const { return m_favorites; }
    RecentMenu* recent() const { return m_recent; }
    NormKeeper* norms() const { return m_norms->keeper(); }
    NormLinksDock* normLinks() const { return m_norms->links(); }
    WindowOutline* outline() const { return m_outline; }
    WindowTabs* tabs() const { return m_tabs; }
    TopRow* topRow() const { return m_topRow; }
    QComboBox* zoomBox() const { return m_topRow->zoomBox(); }
    QCheckBox* showDocumentBox() const { return m_topRow->showDocumentBox(); }
    QPushButton* openButton() const { return m_secondRow->openButton(); }
    QSplitter* splitter() const { return m_splitter; }

    // The program's settings, read once at start; every part reads and changes them here.
    AppSettings* settings() const { return m_settings; }
    QString settingsFile() const;
    QString helpFile() const { return m_suite.helpFile(); }
    // The suite folder: the parent of the program's folder.
    QString suiteDir() const { return m_suite.suiteDir(); }

    QString statusText() const;
    void setStatusText(const QString& text);

    // Commands.
    void refresh();
    void chooseLibraryFolder();
    // Shows the selected node in the viewer, in search mode its highlighted copy.
    void showSelectedNode();
    void applyDocumentPane();
    void beginSearch();
    void goToBookmark();
    void toggleSortByDate();
    void showHelp();
    void showAbout();

signals:
    void searchFinished();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createParts();
    void connectParts();
    void start();
    void firstActivation();
    // The tree of the listed collection: browsing, or the findings of its search.
    void rebuildTree(const SearchResult* found);
    void loadTree();
    void showSelectedNodeIfActive();
    void enableOpen();
    void showStatusNote(const QString& note);

    const SuiteLayout m_suite;
    AppSettings* m_settings = nullptr;
    std::unique_ptr<SplashScreen> m_splash;
    SingleInstance* m_singleInstance = nullptr;

    DocumentTreePanel* m_treePanel = nullptr;
    DocumentViewer* m_viewer = nullptr;
    TitlePanel* m_titlePanel = nullptr;
    SearchController* m_search = nullptr;
    WindowCommands* m_commands = nullptr;
    NodeNavigation* m_navigation = nullptr;
    DocumentOpener* m_opener = nullptr;
    FavoritesMenu* m_favorites = nullptr;
    RecentMenu* m_recent = nullptr;
    WindowNorms* m_norms = nullptr;
    WindowOutline* m_outline = nullptr;
    WindowTabs* m_tabs = nullptr;

    TopRow* m_topRow = nullptr;
    SecondRow* m_secondRow = nullptr;
    PaneSplitter* m_splitter = nullptr;
    StatusLine* m_statusLine = nullptr;

    std::unique_ptr<WindowSession> m_session;
    bool m_terminateRequested = false;
    bool m_started = false;
    bool m_closed = false;
};
