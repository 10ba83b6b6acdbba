#pragma once

#include "search/normcatalog.h"
#include "support/latestwork.h"

#include <QObject>
#include <QStringList>

#include <memory>

// Keeps the catalog of the shown collection's norms (which document each designation names):
// made apart from the window when a collection is listed and when its index has been brought
// up to date; the parts read the latest one made.
class NormKeeper final : public QObject
{
    Q_OBJECT
public:
    explicit NormKeeper(QObject* parent = nullptr);

    // Makes the catalog of the folders anew (a making for other folders stops first); for
    // the folders of the latest catalog only when asked to (their files or index changed).
    void rebuild(const QStringList& folders, bool evenIfSame = false);
    std::shared_ptr<const NormCatalog> catalog() const { return m_catalog; }

signals:
    void catalogChanged();

private:
    std::shared_ptr<const NormCatalog> m_catalog = std::make_shared<NormCatalog>();
    QStringList m_folders;
    // A thread of its own: the search's threads stay free. Last: it ends before the rest goes.
    LatestWork<std::shared_ptr<const NormCatalog>> m_making{this};
};
