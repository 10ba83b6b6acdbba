#include "links/normkeeper.h"

NormKeeper::NormKeeper(QObject* parent) : QObject(parent) {}

void NormKeeper::rebuild(const QStringList& folders, bool evenIfSame)
{
    // A search left or the tree sorted again changes nothing the catalog knows.
    if (folders == m_folders && !evenIfSame)
        return;
    m_folders = folders;
    m_making.start(
        [folders](const auto& run) {
            return std::make_shared<const NormCatalog>(
                NormCatalog::ofFolders(folders, run.stopFlag()));
        },
        [this](std::shared_ptr<const NormCatalog> made) {
            m_catalog = std::move(made);
            emit catalogChanged();
        });
}
