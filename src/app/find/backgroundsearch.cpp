#include "find/backgroundsearch.h"

#include "query/querysearch.h"

BackgroundSearch::BackgroundSearch(SearchRequest request, QWidget* window, bool countFragments,
                                   SearchQuery query)
    : m_job(std::move(request)), m_query(std::move(query))
{
    if (!m_query.isPlain() && m_query.isValid()) {
        const auto run = [this] {
            const SearchRequest& asked = m_job.request();
            QuerySearch::Result answer =
                QuerySearch::run({m_query, asked.options, asked.folders, asked.document,
                                  asked.useIndex, &m_queryCancel, asked.within});
            m_result.cancelled = answer.cancelled || m_queryCancel.load();
            m_result.nodes = std::move(answer.nodes);
            m_result.checked = answer.documents;
            m_result.found = int(answer.found.size());
            m_result.unreadable = answer.unreadable;
            for (const QString& path : std::as_const(answer.found))
                QMetaObject::invokeMethod(
                    this, [this, path] { emit documentFound(path); }, Qt::QueuedConnection);
        };
        m_task = std::make_unique<BackgroundTask>(
            window, QStringLiteral("Поиск"), QStringLiteral("Идет поиск. Ждите..."),
            BackgroundTask::Work{run, [this] { m_queryCancel.store(true); }, [] { return 0; }});
        connect(m_task.get(), &BackgroundTask::finished, this, &BackgroundSearch::finished);
        return;
    }
    // Posted to this object, so that what is still queued goes with it.
    m_job.setFoundCallback([this](const QString& path) {
        QMetaObject::invokeMethod(
            this, [this, path] { emit documentFound(path); }, Qt::QueuedConnection);
    });
    if (countFragments && m_job.request().options.wordForms && !m_job.request().citations)
        m_fragments = std::make_unique<SearchJob>(SearchJob::fragmentRequest(m_job.request()));
    const auto run = [this] {
        m_result = m_job.run();
        if (!m_fragments || m_result.cancelled || m_job.isCancelRequested())
            return;
        const SearchResult fragments = m_fragments->run();
        if (!fragments.cancelled && !m_fragments->isCancelRequested())
            m_result.fragmentFound = fragments.found;
    };
    const auto cancel = [this] {
        m_job.cancel();
        if (m_fragments)
            m_fragments->cancel();
    };
    m_task = std::make_unique<BackgroundTask>(
        window, QStringLiteral("Поиск"), QStringLiteral("Идет поиск. Ждите..."),
        BackgroundTask::Work{run, cancel, [this] { return m_job.checkedCount(); }});
    connect(m_task.get(), &BackgroundTask::finished, this, &BackgroundSearch::finished);
}

BackgroundSearch::~BackgroundSearch() = default;
