#include "index/keptindex.h"

#include <map>
#include <mutex>

// The connections given back, by file: one each.
class KeptIndexes
{
public:
    static KeptIndexes& instance()
    {
        static KeptIndexes kept;
        return kept;
    }

    std::unique_ptr<KeptIndex::Kept> take(const QString& file)
    {
        const std::lock_guard lock(m_mutex);
        const auto found = m_kept.find(file);
        if (found == m_kept.end())
            return nullptr;
        std::unique_ptr<KeptIndex::Kept> kept = std::move(found->second);
        m_kept.erase(found);
        return kept;
    }

    void giveBack(std::unique_ptr<KeptIndex::Kept> kept)
    {
        const std::lock_guard lock(m_mutex);
        const QString file = kept->file;
        m_kept[file] = std::move(kept); // a later one replaces one given back meanwhile
    }

    void forget(const QString& file) { take(file); } // closed as it goes

private:
    std::mutex m_mutex;
    std::map<QString, std::unique_ptr<KeptIndex::Kept>> m_kept;
};

KeptIndex::~KeptIndex()
{
    if (!m_kept)
        return;
    m_kept->index.endRead();
    // A builder may have switched the index to its write-ahead log meanwhile: a connection
    // that has read it since holds a lock even idle.
    if (m_keepable && m_kept->stamps && m_kept->index.isOpen() &&
        m_kept->index.problem() == DocumentIndex::Problem::None &&
        !m_kept->index.hasWriteAheadLog())
        KeptIndexes::instance().giveBack(std::move(m_kept));
}

bool KeptIndex::open(const QString& file, DocumentIndex::Access access)
{
    m_keepable = access == DocumentIndex::Access::Read;
    Platform::FileStamp now;
    const bool stamped = Platform::fileStamp(file, &now);
    if (m_keepable && stamped) {
        std::unique_ptr<Kept> kept = KeptIndexes::instance().take(file);
        // The file the path names now, as it was when the connection opened it.
        if (kept && kept->fileStamp == now) {
            m_kept = std::move(kept);
            return true;
        }
    }
    m_kept = std::make_unique<Kept>();
    m_kept->file = file;
    m_kept->fileStamp = now;
    if (!m_kept->index.open(file, access))
        return false;
    // A connection to an index with a write-ahead log holds a lock while it is open.
    m_keepable = m_keepable && stamped && !m_kept->index.hasWriteAheadLog();
    return true;
}

bool KeptIndex::stamps(std::shared_ptr<const StampTable>* out)
{
    const qint64 version = m_kept->index.dataVersion();
    if (m_kept->stamps && version >= 0 && version == m_kept->version) {
        *out = m_kept->stamps;
        return true;
    }
    m_kept->stamps.reset();
    auto read = std::make_shared<StampTable>();
    if (!m_kept->index.stamps(read.get()))
        return false;
    *out = std::move(read);
    if (m_keepable && version >= 0) {
        m_kept->stamps = *out;
        m_kept->version = version;
    }
    return true;
}

void KeptIndex::forget(const QString& file)
{
    KeptIndexes::instance().forget(file);
}
