#pragma once

#include "query/searchquery.h"
#include "search/searchjob.h"
#include "support/backgroundtask.h"

#include <QObject>

#include <atomic>
#include <memory>

class QWidget;

// A search running in the background behind the progress window, which counts the documents
// checked and can stop it. finished() comes once, when the run has ended (stopped or not).
// With countFragments, a word-forms search also counts what its words find as a fragment of
// text (SearchResult::fragmentFound).
class BackgroundSearch final : public QObject
{
    Q_OBJECT
public:
    // query: a query with operators, answered in the request's folders or document with its
    // options (its context is the query's text); a plain one searches the context.
    BackgroundSearch(SearchRequest request, QWidget* window, bool countFragments = false,
                     SearchQuery query = {});
    ~BackgroundSearch() override;

    void cancel() { m_task->cancel(); }
    // True once a stop was asked for: the findings, even if complete, are not to be shown.
    bool isCancelled() const { return m_task->isCancelled(); }
    const SearchRequest& request() const { return m_job.request(); }
    const SearchQuery& query() const { return m_query; }
    // The findings, once finished() has come.
    const SearchResult& result() const { return m_result; }

signals:
    // A document found, on the window's thread while the search runs (in no set order); every
    // one comes before finished(), and none after the search is gone.
    void documentFound(const QString& path);
    void finished();

private:
    SearchJob m_job;
    SearchQuery m_query;
    std::atomic<bool> m_queryCancel{false};
    std::unique_ptr<SearchJob> m_fragments; // of a word-forms search
    SearchResult m_result;
    std::unique_ptr<BackgroundTask> m_task; // last: it ends the run before the job goes
};
