#include "support/backgroundtask.h"

#include "dialogs/progressdialog.h"

#include <QtConcurrent>

BackgroundTask::BackgroundTask(QWidget* window, const QString& caption, const QString& message,
                               Work work)
    : m_work(std::move(work)),
      m_progressWindow(std::make_unique<ProgressDialog>(window, caption, message))
{
    m_progressWindow->setWindowModality(Qt::ApplicationModal); // no other input meanwhile
    m_progressWindow->enableCancel();
    connect(m_progressWindow.get(), &ProgressDialog::cancelRequested, this,
            &BackgroundTask::cancel);
    const auto showCount = [this] {
        if (m_work.count)
            m_progressWindow->setCheckedCount(m_work.count());
    };
    showCount();
    connect(&m_counter, &QTimer::timeout, this, showCount);
    connect(&m_watcher, &QFutureWatcher<void>::finished, this, [this, showCount] {
        m_counter.stop();
        showCount();
        m_progressWindow->hide();
        emit finished();
    });
    m_progressWindow->showCentered();
    m_counter.start(50);
    m_watcher.setFuture(QtConcurrent::run(m_work.run));
}

BackgroundTask::~BackgroundTask()
{
    cancel();
    m_watcher.waitForFinished();
}

void BackgroundTask::cancel()
{
    m_cancelled = true;
    m_work.cancel();
}
