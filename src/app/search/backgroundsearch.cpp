#include "backgroundsearch.h"

BackgroundSearch::BackgroundSearch(SearchRequest request, QWidget* window)
    : m_job(std::move(request))
{
    // Posted to this object, so that what is still queued goes with it.
    m_job.setFoundCallback([this](const QString& path) {
        QMetaObject::invokeMethod(
            this, [this, path] { emit documentFound(path); }, Qt::QueuedConnection);
    });
    m_task = std::make_unique<BackgroundTask>(
        window, QStringLiteral("Поиск"), QStringLiteral("Идет поиск. Ждите..."),
        BackgroundTask::Work{[this] { m_result = m_job.run(); }, [this] { m_job.cancel(); },
                             [this] { return m_job.checkedCount(); }});
    connect(m_task.get(), &BackgroundTask::finished, this, &BackgroundSearch::finished);
}

BackgroundSearch::~BackgroundSearch() = default;
