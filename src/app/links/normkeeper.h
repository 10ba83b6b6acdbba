#pragma once

#include "search/normcatalog.h"

#include <QFutureWatcher>
#include <QObject>
#include <QStringList>
#include <QThreadPool>

#include <atomic>
#include <memory>

// Keeps the catalog of the shown collection's norms (which document each designation names):
// made apart from the window when a collection is listed and when its index has been brought
// up to date; the parts read the latest one made.
class NormKeeper final : public QObject
{
    Q_OBJECT
public:
    explicit NormKeeper(QObject* parent = nullptr);
    ~NormKeeper() override;

    // Makes the catalog of the folders anew (a making for other folders stops first); for
    // the folders of the latest catalog only when asked to (their files or index changed).
    void rebuild(const QStringList& folders, bool evenIfSame = false);
    std::shared_ptr<const NormCatalog> catalog() const { return m_catalog; }

signals:
    void catalogChanged();

private:
    void start();

    QThreadPool m_pool; // one thread of its own: the search's threads stay free
    std::shared_ptr<const NormCatalog> m_catalog = std::make_shared<NormCatalog>();
    QFutureWatcher<std::shared_ptr<const NormCatalog>> m_watcher;
    std::shared_ptr<std::atomic<bool>> m_cancel;
    QStringList m_folders;
    bool m_pending = false;
};
