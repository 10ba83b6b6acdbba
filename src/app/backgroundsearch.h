#pragma once

#include "searchjob.h"

#include <QFutureWatcher>
#include <QObject>
#include <QTimer>

#include <memory>

class QWidget;
class TProgressBarDialog1;

// A search running off the window's thread behind the progress window: the window keeps
// painting and counts, takes no other input meanwhile, and can stop the run ("Отмена", Esc).
// finished() comes once, when the run has ended (cancelled or not).
class BackgroundSearch final : public QObject
{
    Q_OBJECT
public:
    BackgroundSearch(SearchRequest request, QWidget* window);
    // Stops a run still going and waits for it: nothing runs on after its owner.
    ~BackgroundSearch() override;

    void cancel();
    // True once a stop was asked for: the findings, even if complete, are not to be shown.
    bool isCancelled() const { return m_job.isCancelRequested(); }
    bool isRunning() const { return m_watcher.isRunning(); }
    const SearchRequest& request() const { return m_job.request(); }
    // The findings, once finished() has come.
    const SearchResult& result() const { return m_result; }

signals:
    void finished();

private:
    SearchJob m_job;
    SearchResult m_result;
    QFutureWatcher<void> m_watcher;
    std::unique_ptr<TProgressBarDialog1> m_progressWindow;
    QTimer m_counter;
};
