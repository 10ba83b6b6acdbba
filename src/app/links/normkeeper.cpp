#include "links/normkeeper.h"

#include <QtConcurrent/QtConcurrentRun>

NormKeeper::NormKeeper(QObject* parent) : QObject(parent)
{
    m_pool.setMaxThreadCount(1);
    connect(&m_watcher, &QFutureWatcherBase::finished, this, [this] {
        const std::shared_ptr<const NormCatalog> made = m_watcher.result();
        if (m_pending) {
            start(); // the folders changed meanwhile
            return;
        }
        if (made) {
            m_catalog = made;
            emit catalogChanged();
        }
    });
}

NormKeeper::~NormKeeper()
{
    if (m_cancel)
        m_cancel->store(true);
    m_watcher.waitForFinished();
}

void NormKeeper::rebuild(const QStringList& folders, bool evenIfSame)
{
    // A search left or the tree sorted again changes nothing the catalog knows.
    if (folders == m_folders && !evenIfSame)
        return;
    m_folders = folders;
    if (m_watcher.isRunning()) {
        m_cancel->store(true);
        m_pending = true;
        return;
    }
    start();
}

void NormKeeper::start()
{
    m_pending = false;
    m_cancel = std::make_shared<std::atomic<bool>>(false);
    m_watcher.setFuture(QtConcurrent::run(
        &m_pool, [folders = m_folders, cancel = m_cancel]() -> std::shared_ptr<const NormCatalog> {
            auto catalog =
                std::make_shared<const NormCatalog>(NormCatalog::ofFolders(folders, cancel.get()));
            return cancel->load() ? nullptr : catalog;
        }));
}
