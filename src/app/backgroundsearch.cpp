#include "backgroundsearch.h"

#include "tprogressbardialog1.h"

#include <QtConcurrent>

BackgroundSearch::BackgroundSearch(SearchRequest request, QWidget* window)
    : m_job(std::move(request)),
      m_progressWindow(std::make_unique<TProgressBarDialog1>(
          window, QStringLiteral("Поиск"), QStringLiteral("Идет поиск. Ждите...")))
{
    m_progressWindow->setWindowModality(Qt::ApplicationModal); // no other input meanwhile
    m_progressWindow->enableCancel();
    m_progressWindow->setCheckedCount(0);
    connect(m_progressWindow.get(), &TProgressBarDialog1::cancelRequested, this,
            &BackgroundSearch::cancel);
    connect(&m_counter, &QTimer::timeout, this,
            [this] { m_progressWindow->setCheckedCount(m_job.checkedCount()); });
    connect(&m_watcher, &QFutureWatcher<void>::finished, this, [this] {
        m_counter.stop();
        m_progressWindow->setCheckedCount(m_job.checkedCount());
        m_progressWindow->hide();
        emit finished();
    });
    m_progressWindow->showNow();
    m_counter.start(50);
    m_watcher.setFuture(QtConcurrent::run([this] { m_result = m_job.run(); }));
}

BackgroundSearch::~BackgroundSearch()
{
    m_job.cancel();
    m_watcher.waitForFinished();
}

void BackgroundSearch::cancel()
{
    m_job.cancel();
}
