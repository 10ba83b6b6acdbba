#pragma once

#include "matching/matchoptions.h"
#include "search/searchjob.h"
#include "viewer/documentviewer.h"

#include <QObject>
#include <QSet>
#include <QStringList>

#include <memory>

class AppSettings;
class BackgroundSearch;
class WindowCommands;
class DocumentTreePanel;
class FindBox;
class ScopeChooser;
class IndexKeeper;
class LibraryWatcher;
class QWidget;
class SearchQuery;
class SearchResultsDock;
struct SearchRequest;
struct SearchResult;

// The search: the find box with its history, the search options, the run in the background
// behind its progress window, the result dialog and the result list. A whole collection's
// search rebuilds the tree with only the found documents; a folder's or a document's search
// shows its findings below the selected node. The window stays as it was until a search has
// ended: a stopped search changes nothing.
class SearchController final : public QObject
{
    Q_OBJECT
public:
    SearchController(DocumentTreePanel* tree, AppSettings* settings, QWidget* window);
    ~SearchController() override;

    FindBox* findBox() const { return m_findBox; }
    ScopeChooser* scopeChooser() const { return m_scopeChooser; }
    SearchResultsDock* resultList() const { return m_resultList; }

    // The options and colours, as the program's settings hold them.
    MatchOptions matchOptions() const;
    void setMatchOptions(const MatchOptions& options);
    quint32 backColor() const;
    quint32 fontColor() const;
    // Keeps the index of the collection's folders up to date in the background.
    IndexKeeper* indexKeeper() const { return m_indexKeeper; }
    // Keeps the walk of the collection's folders while the index is used.
    LibraryWatcher* libraryWatcher() const { return m_libraryWatcher; }
    // The index of the shown collection is brought up to date.
    void updateIndex();
    // Asks for the options in their dialog and keeps them in the settings file.
    void editOptions();
    // The search's commands: its options, the found documents one after another, the result
    // list; their enabled states follow the find box and search mode.
    void attachCommands(WindowCommands* commands);
    void updateCommands();

    // Search mode: the tree holds the findings of the last search and documents are shown
    // highlighted. context: what that search looked for.
    bool isSearchMode() const { return m_searchMode; }
    QString context() const { return m_context; }
    void setSearchMode(bool on, const QString& context = QString());
    // How the shown document is marked in search mode; none outside it.
    std::optional<DocumentViewer::Highlighting> highlighting() const;

    // Searches the find box's text below the selected node (the whole collection from the
    // root or no node); nothing while a search runs.
    void run();
    // Searches fragment in the text of the documents, word forms switched off.
    void searchAsFragment(const QString& fragment);
    // Enter in the find box: the text joins the history, then the search runs.
    void runFromFindBox();
    // An entry chosen from the find box's list.
    void chooseHistoryEntry(int index);
    void addToHistory(const QString& text);
    bool isSearching() const { return m_search != nullptr; }
    // What the running search looks for and how; none when no search runs.
    const SearchRequest* runningSearch() const;
    // Stops a running search; the window stays as it was before the search.
    void cancel();
    // Where the next search looks, as the user reads it: "во всей коллекции", "в папке «…»",
    // "в документе «…»" (the selected node decides).
    QString nextScope() const;
    // Updates the find box's hint with the next search's scope.
    void updateScopeHint();
    // The tree's selection changed: the scope follows it.
    void followSelection();

    // "Искать в найденном": the searches that follow look only in the documents the last one
    // found, where it looked, until it is left (Esc) or the tree comes back. False, with a
    // note, when there is nothing found to search in.
    bool searchWithinFound();
    void leaveWithinFound();
    // The last search again, in the whole collection ("Искать везде").
    void searchEverywhere();
    bool isSearchingWithinFound() const { return m_within != nullptr; }
    // The user guide, which the options dialog opens at its section on queries.
    void setGuideFile(const QString& file) { m_guideFile = file; }

signals:
    // The search's mode to show beside the find box; empty for the plain one.
    void modeTextChanged(const QString& text);
    // Nothing was found and the reader asked for the whole tree back (search mode ends).
    void treeRestoreRequested();
    // The search has ended (also when it was stopped).
    void searchFinished();
    // A search below the selected node has put its findings into the tree: the node is shown
    // again, now the search-mode way.
    void subtreeSearched();
    // A whole collection's findings are to be shown: the tree is built from them at once.
    void collectionSearched(const SearchResult* found);
    // Search mode or the find box's text changed: the commands' states follow.
    void stateChanged();
    void statusMessage(const QString& text);
    // A note for the status bar, for a moment.
    void statusNote(const QString& note);

private:
    void showResult();
    // Without the result dialog: its counts and offers on the result list's line.
    void offerOnTheLine(const SearchQuery& query, int found, int checked, int unreadable,
                        const QString& fragment);

    DocumentTreePanel* m_tree;
    AppSettings* m_settings;
    QWidget* m_window;
    WindowCommands* m_commands = nullptr;
    FindBox* m_findBox = nullptr;
    ScopeChooser* m_scopeChooser = nullptr;
    SearchResultsDock* m_resultList = nullptr;
    IndexKeeper* m_indexKeeper = nullptr;
    LibraryWatcher* m_libraryWatcher = nullptr;
    bool m_searchMode = false;
    // What the documents found by a query are marked with: every fragment it looks for, or in
    // word forms every word (a plain query: its context).
    static QStringList markedContexts(const SearchQuery& query, bool wordForms,
                                      const QString& context);

    QString m_context;    // as typed
    QStringList m_marked; // what its documents are marked with
    // The next search takes the find box's text as one context, operators and all.
    bool m_literalNext = false;
    std::unique_ptr<BackgroundSearch> m_search;
    bool m_wholeCollection = false;
    QString m_scope; // of the running search
    QString m_guideFile;
    // Where the last search that ended looked, and whether that was the whole collection.
    SearchRequest m_lastScope;
    bool m_lastWhole = false;
    QSet<QString> m_lastFound;
    bool m_runLiteral = false;  // the running search takes its text as one context
    bool m_lastLiteral = false; // and the last that ended did
    // Searching within found documents: those documents, where they were searched.
    std::shared_ptr<const QSet<QString>> m_within;
    SearchRequest m_withinScope;
    bool m_withinWhole = false;
};
