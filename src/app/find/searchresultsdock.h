#pragma once

#include "search/founddocument.h"
#include "search/resultexport.h"
#include "search/searchjob.h"
#include "support/latestwork.h"

#include <QDockWidget>
#include <QHash>
#include <QList>
#include <QStringList>
#include <QTimer>

#include <atomic>
#include <functional>
#include <memory>

class QAction;
class QHBoxLayout;
class QLabel;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class ResultRow;

// The documents a search found, in a panel docked to the main window: each one's place (its
// captions as the tree shows them), its occurrences in the text and a line of the text around
// the first of them. The rows come while the search runs; the counts and lines come from a
// second read of each document on a thread of the panel's own, so the search is not held up.
class SearchResultsDock final : public QDockWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SearchResultsDock)
public:
    enum Column
    {
        DocumentColumn,
        CountColumn,
        // The word-forms search: each document's relevance (shown only in that mode).
        RelevanceColumn,
        SnippetColumn
    };
    enum Role
    {
        PathRole = Qt::UserRole + 1,
        BeforeRole,
        MatchRole,
        AfterRole
    };

    explicit SearchResultsDock(QWidget* parent);
    ~SearchResultsDock() override;

    QTreeWidget* list() const { return m_list; }
    // The document a row stands for.
    static QString documentPath(const QTreeWidgetItem* row);

    // A search begins: the panel shows and empties, and the rows of the search before are
    // kept aside. marked: what the rows count and cut their lines around (the fragments of
    // a query; in word forms, one query). prefix: the captions of the place searched (none
    // for a whole collection).
    void beginSearch(const SearchRequest& request, const QStringList& marked,
                     const QStringList& prefix);
    // A document the running search found.
    void addFound(const QString& path);
    // The search has ended and its findings are in the tree: paths, the tree's documents in
    // its order, which the rows take; relevance, of the word-forms search (most relevant
    // first, then).
    void endSearch(const QStringList& paths, const QHash<QString, double>& relevance = {});
    // The search was stopped: the panel is as it was before it began.
    void cancelSearch();
    // Search mode has ended: the panel empties and hides, and stops reading documents.
    void leaveSearch();
    // Chooses the next (+1) or previous (-1) document in the list's order, round the ends;
    // false when the list is empty.
    bool chooseNext(int step);
    // The keys go to the list, at its current row.
    void focusList();
    // The line above the list: what was searched for, how and where.
    void setHeader(const QString& text);
    // The command that makes the next search look only in the documents found, shown beside
    // the list with "Вернуть дерево" while it is on.
    void setWithinFoundAction(QAction* action);
    // "Искать везде" beside the line, after a search of a folder or a document that found
    // nothing (until the next search begins).
    void offerEverywhere();
    // A button on the line that offers a next step, until the next search begins.
    void addOffer(const QString& name, const QString& text, const QString& hint,
                  const std::function<void()>& chosen);
    // What a saved report says of the search: how a query was read, where it looked, how
    // fresh the answer is.
    void setSearchFacts(const QString& reading, const QString& scope, const QString& freshness);
    // The rows as they stand (the selected ones only, when asked), to be taken away.
    QList<ResultExport::Row> exportRows(bool selectedOnly) const;
    // "Сохранить результаты…": a CSV table or an HTML report (by the name's suffix).
    void saveResults();
    // Writes the rows to path (.htm/.html: the report; else the table); false when the file
    // cannot be written.
    bool saveResults(const QString& path) const;
    // Ctrl+C: the selected rows as tab-separated text.
    void copySelectedRows() const;
    QString header() const;

signals:
    // A row chosen: clicked, or activated with a double-click or Enter.
    void documentChosen(const QString& path);
    // A row asked for in a new tab (a middle click, Ctrl+click, the row's menu).
    void documentChosenInNewTab(const QString& path);
    // A step went round an end of the list: forward from the last row to the first, or back.
    void wentRound(bool forward);
    // "Вернуть дерево": the whole tree back, search mode left.
    void treeRestoreRequested();
    // "Искать везде": the last search again, in the whole collection.
    void everywhereRequested();
    void statusNote(const QString& note);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Saved
    {
        ~Saved();
        QList<QTreeWidgetItem*> rows; // owned
        SearchRequest request;
        QStringList marked;
        QStringList prefix;
        QString header;
        bool visible = false;
    };
    void addPending();
    void stopReading();
    void read(const QList<ResultRow*>& rows);
    void showSummary(const QString& path, const FoundDocument::Summary& summary);
    void deleteRows();
    void sortChanged(int column, Qt::SortOrder order);

    QTreeWidget* m_list = nullptr;
    QLabel* m_header = nullptr;
    QToolButton* m_withinFoundButton = nullptr;
    QToolButton* m_restoreTreeButton = nullptr;
    QToolButton* m_everywhereButton = nullptr;
    QHBoxLayout* m_line = nullptr;
    QList<QToolButton*> m_offers; // until the next search
    QString m_reading;
    QString m_scope;
    QString m_freshness;
    QString m_saveFolder; // where results were saved last
    SearchRequest m_request;
    QStringList m_marked;
    QStringList m_prefix;
    std::unique_ptr<Saved> m_saved; // the rows before the running search
    QHash<QString, ResultRow*> m_rows;
    QStringList m_incoming; // found, not yet a row
    QTimer m_addTimer;
    int m_sortColumn = DocumentColumn;
    struct ReadQueue;
    std::shared_ptr<ReadQueue> m_queue; // of the rows listed now
    // One read at a time beside the search. Last: it ends before the rest goes.
    LatestWork<void> m_reader{this};
};
