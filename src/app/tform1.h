#pragma once

#include "appversion.h"

#include <QIcon>
#include <QList>
#include <QMainWindow>
#include <QString>

#include "nodehistory.h"

#include <memory>

class QAction;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QDialog;
class QHBoxLayout;
class QLineEdit;
class QPoint;
class QUrl;
class QLabel;
class QMenu;
class QPushButton;
class QSplitter;
class QStatusBar;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class QWebEngineView;
class AppSettings;
class BackgroundSearch;
class BackgroundTask;
class DocumentPage;
class OccurrenceNavigator;
class SearchResultsDock;
class SingleInstance;
class TSplashForm;
class WMakeTreeviewForDir;
struct MatchOptions;
struct SearchRequest;
struct SearchResult;

// The main window: the document tree beside the viewer, the find box and the commands.
class TForm1 final : public QMainWindow
{
    Q_OBJECT
public:
    // programFile: the program's own path (settings and suite folders are found from it);
    // empty means the running program. The window owns the splash from now on.
    explicit TForm1(const QString& programFile = QString(), TSplashForm* splash = nullptr,
                    QWidget* parent = nullptr);
    ~TForm1() override;

    // Set when another instance runs: the program ends without showing this window.
    bool terminateRequested() const { return m_terminateRequested; }

    // Application-wide texts.
    const QString AppTitle = QStringLiteral("Просмотр нормативной документации");
    QString ExeFileName;
    QString HelpFileName;

    // State read and changed by the window's commands.
    std::unique_ptr<WMakeTreeviewForDir> TreeBuilder;
    QString IniFileName;
    // The settings file IniFileName, read and written through its typed values.
    AppSettings settings() const;
    bool SearchMode = false;
    QString SearchContext;
    const QString VersionText = AppVersion::text();
    QString ExternalDirectory;
    bool Activated = false;
    bool WholeWords = false;
    bool TextMode = false;
    bool CaseSensitive = false;
    quint32 HighlightBackColor = 255;
    quint32 HighlightFontColor = 16777215;
    QString BookmarkFileName;

    // Controls, named as their object names.
    QLabel* Image1 = nullptr;
    QPushButton* ExitButton1 = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* FindComboBox1 = nullptr;
    QToolButton* BeginFindButton1 = nullptr;
    QToolButton* CancelFindButton1 = nullptr;
    QToolButton* SetFindButton1 = nullptr;
    QComboBox* ScaleComboBox1 = nullptr;
    QCheckBox* ShowDocCheckBox1 = nullptr;
    QToolButton* AboutButton1 = nullptr;
    QToolButton* HelpButton1 = nullptr;
    QPushButton* OpenButton1 = nullptr;
    QLabel* NamePanel1 = nullptr;
    QToolButton* NormDocButton1 = nullptr;
    QToolButton* TechTButton1 = nullptr;
    QTreeWidget* TreeView1 = nullptr;
    QWidget* TreeViewPanel1 = nullptr;
    QSplitter* Splitter1 = nullptr;
    QWidget* WebPanel1 = nullptr;
    QWebEngineView* CppWebBrowser1 = nullptr;
    DocumentPage* ViewerPage = nullptr; // the viewer's page, owned by the viewer
    QStatusBar* StatusBar1 = nullptr;
    // The documents the search found (tform1_search.cpp), shown in search mode.
    SearchResultsDock* SearchResultsDock1 = nullptr;
    QList<QIcon> ImageList1;

    QMenu* PopupMenu1 = nullptr;
    QAction* OpenItem1 = nullptr;
    QAction* Refresh1 = nullptr;
    QAction* OpenAllFolders1 = nullptr;
    QAction* CloseAllFolders1 = nullptr;
    QAction* DeleteItem1 = nullptr;
    QAction* CopyInItem1 = nullptr;
    QAction* SetZakladka1 = nullptr;
    QAction* GotoZakladka1 = nullptr;
    QAction* BeginFindItem1 = nullptr;
    QAction* CancelFindItem1 = nullptr;
    QAction* SetFindItem1 = nullptr;
    QAction* SortDateItem1 = nullptr;
    QAction* OpenInEditorItem1 = nullptr;

    // Lifecycle.
    void FormCreate();
    void FormActivate();
    void FormClose();
    void FormDestroy();

    // Tree and collections.
    void LoadTree(bool search);
    void Refresh1Click();
    QString GetSuiteDir() const;
    void UpdateOpenCommands();
    bool FillCollectionLists(QStringList& rootDirs, QStringList& names);
    void OpenButton1Click();
    void NormDocButton1Click();

    // Modal dialogs of the window run through here (and UserInteraction, which tests replace).
    int runDialog(QDialog& dialog);
    void TreeView1Change();
    // What a selection change shows, for callers that know the user is in this window.
    void showSelectedNode();
    // NamePanel1 and its hint: a blank and the node's path of captions.
    void showNodeTitle(const QTreeWidgetItem* node);
    void ScaleComboBox1Change();
    void CppWebBrowser1DocumentComplete(bool ok);
    void FindInPage(const QString& context, bool matchCase);
    // Selects the marks of the highlighted copy's first occurrence (text mode) and scrolls
    // them into view.
    void SelectFirstOccurrence();
    // How many in-page finds have selected an occurrence (for tests and diagnostics).
    int inPageFindCount() const { return m_inPageFindCount; }
    // How many in-page finds have been asked for.
    int inPageFindRequests() const { return m_inPageFindRequests; }
    // The zoom of the selected item of ScaleComboBox1 (1.0 when none is selected).
    double selectedZoomFactor() const;

    // Search run, find box, history and parameters. A search runs in the background behind
    // its progress window; searchFinished() follows its end (also when it was stopped).
    void RunSearch();
    bool isSearching() const { return m_search != nullptr; }
    // What the running search looks for and how; none when no search runs.
    const SearchRequest* runningSearch() const;
    // True while a copy of CopyInItem1Click runs in the background.
    bool isCopying() const { return m_copy != nullptr; }
    // Stops a running search; the window stays as it was before the search.
    void cancelSearch();
    void BeginFindItem1Click();
    void FindComboBox1KeyUp();
    void FindComboBox1CloseUp(int index);
    void LoadSearchHistory();
    void AddToSearchHistory(const QString& text);
    void UpdateSearchCommands();
    void SetFindButton1Click();

    // Window keys, the tree's context menu and its commands.
    void FormKeyDown(int key);
    void TreeView1KeyDown(int key);
    void PopupMenu1Popup();
    void OpenAllFolders1Click();
    void CloseAllFolders1Click();
    void DeleteItem1Click();
    void CopyInItem1Click();
    void SetZakladka1Click();
    void GotoZakladka1Click();
    void SortDateItem1Click();
    void OpenInEditorItem1Click();
    void HelpButton1Click();
    void AboutButton1Click();
    void ShowDocCheckBox1Click();

    QString statusText() const;
    void setStatusText(const QString& text);
    QTreeWidgetItem* selectedNode() const;

signals:
    void searchFinished();
    // An in-page find has answered; found when it selected an occurrence.
    void inPageFindFinished(bool found);

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    QWidget* createTopRow();
    QWidget* createSecondRow();
    QWidget* createTreePane();
    void createTreeMenu();
    void installHighlightColours();
    void connectControls();
    void connectCommands();
    void bringToFront();
    bool findBoxEvent(QEvent* event);
    void applyStoredTreeWidth(int width);
    void buildTree(const QStringList& rootDirs, const QStringList& names, bool search,
                   const SearchResult* found);
    void showSearchResult();
    void createSearchResults();
    // Selects a found document's node in the tree, which shows it.
    void showFoundDocument(const QString& path);
    // The window's find options, as the next search takes them.
    MatchOptions matchOptions() const;

    std::unique_ptr<TSplashForm> m_splashForm;
    SingleInstance* m_singleInstance = nullptr;
    QButtonGroup* m_collectionGroup = nullptr;
    bool m_terminateRequested = false;
    bool m_closed = false;
    bool m_buildingTree = false;
    bool m_busy = false; // the bookmark lookup runs on this thread
    std::unique_ptr<BackgroundSearch> m_search;
    std::unique_ptr<BackgroundTask> m_copy;
    bool m_searchWholeCollection = false;
    QStringList m_searchRootDirs; // the collection searched, as listed when the search began
    QStringList m_searchRootNames;
    int m_inPageFindCount = 0;
    int m_inPageFindRequests = 0;
    // The shown highlighted copy's marked occurrences and those left in its markup; -1 when
    // no highlighted copy is shown.
    int m_shownMarks = -1;
    int m_shownInMarkup = 0;

    // Moving through results (tform1_navigation.cpp): the occurrences of the shown copy, the
    // nodes shown before, links of documents, the viewer's menu, its find bar and printing.
public:
    QToolButton* BackButton1 = nullptr;
    QToolButton* ForwardButton1 = nullptr;
    QToolButton* PrevOccurrenceButton1 = nullptr;
    QToolButton* NextOccurrenceButton1 = nullptr;
    QLabel* OccurrenceLabel1 = nullptr;
    QWidget* PageFindBar1 = nullptr;
    QLineEdit* PageFindEdit1 = nullptr;
    QLabel* PageFindLabel1 = nullptr;
    OccurrenceNavigator* Occurrences = nullptr;
    NodeHistory History;
    void goBack();
    void goForward();
    // Selects the node of a file of the library in the tree (and shows it); false when the
    // tree has none.
    bool showPath(const QString& path);
    void followLink(const QUrl& url);
    void stepOccurrence(int direction);
    void openPageFind();
    void printDocument();
    // Writes the shown page as PDF; the answer comes with pdfSaved.
    void saveAsPdf(const QString& path);

signals:
    void pdfSaved(const QString& path, bool ok);

private:
    void createHistoryButtons(QHBoxLayout* row);
    void createOccurrenceControls(QHBoxLayout* row);
    void setupNavigation();
    void showViewerMenu(const QPoint& at);
    void updateNavigationControls();
    void pruneHistory();
    void showStatusNote(const QString& note);
    QString shownCaption() const;
    bool isLibraryDocument(const QString& path) const;
    bool m_navigatingHistory = false;
    QString m_shownDocument; // the document (not its copy) the viewer shows
    QString m_pendingAnchor; // of a followed link, moved to once the page is shown
};
