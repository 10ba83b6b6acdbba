#include "pdf/pdftextprefetch.h"

#include "library/documentlayout.h"
#include "pdf/pdftextcache.h"

#include <QThread>

PdfTextPrefetch::PdfTextPrefetch(const QStringList& paths, const std::atomic<bool>* stop)
{
    m_pool.setMaxThreadCount(std::max(1, QThread::idealThreadCount()));
    const QThread::Priority priority = QThread::currentThread()->priority();
    for (const QString& path : paths) {
        if (!DocumentLayout::isPdfDocument(path))
            continue;
        m_pool.start([this, path, stop, priority] {
            if (m_ended.load() || (stop && stop->load(std::memory_order_relaxed)))
                return;
            if (priority != QThread::InheritPriority)
                QThread::currentThread()->setPriority(priority);
            PdfTextCache::instance().text(path, stop);
        });
    }
}

PdfTextPrefetch::~PdfTextPrefetch()
{
    m_ended = true;
    m_pool.clear();
    m_pool.waitForDone();
}
