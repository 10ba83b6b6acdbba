#include "pdf/pdftextcache.h"

#include "pdf/pdftextreader.h"
#include "pdf/pdftextstore.h"
#include "platform/platform.h"

#include <QDateTime>
#include <QMutexLocker>

namespace {

// The memory a kept text takes, roughly.
qsizetype footprint(const QString& path, const PdfTextCache::Entry& entry)
{
    return entry.document.size() + path.size() * 2 + 64;
}

} // namespace

PdfTextCache& PdfTextCache::instance()
{
    static PdfTextCache cache(128 * 1024 * 1024);
    return cache;
}

PdfTextCache::PdfTextCache(qsizetype capacity) : m_capacity(capacity) {}

PdfTextCache::Entry PdfTextCache::text(const QString& path, const std::atomic<bool>* cancel)
{
    Platform::FileStamp before;
    if (!Platform::fileStamp(path, &before))
        return {};
    const QByteArray stamp = before.toBytes();
    {
        QMutexLocker lock(&m_mutex);
        // A file another thread reads now is waited for, not read twice (a cancel ends the
        // wait).
        while (m_reading.contains(path)) {
            if (cancel && cancel->load(std::memory_order_relaxed))
                return {};
            m_readingEnded.wait(&m_mutex, 50);
        }
        const auto kept = m_kept.find(path);
        if (kept != m_kept.end() && kept->stamp == stamp) {
            m_uses.splice(m_uses.begin(), m_uses, kept->use);
            return kept->entry;
        }
        m_reading.insert(path);
    }
    const Entry entry = read(path, stamp, before, cancel);
    {
        const QMutexLocker lock(&m_mutex);
        m_reading.remove(path);
    }
    m_readingEnded.wakeAll();
    return entry;
}

PdfTextCache::Entry PdfTextCache::read(const QString& path, const QByteArray& stamp,
                                       const Platform::FileStamp& before,
                                       const std::atomic<bool>* cancel)
{
    if (const std::optional<Entry> stored = PdfTextStore::load(path, stamp)) {
        keep(path, stamp, *stored);
        return *stored;
    }
    const qint64 readAt = QDateTime::currentMSecsSinceEpoch() * 1000000;
    const PdfText text = PdfTextReader::read(path, cancel);
    Entry entry{text.state(),
                text.state() == PdfText::State::Text ? text.document() : QByteArray()};
    Platform::FileStamp after;
    // Kept only when the file provably stayed as it was read: the same stamp after the
    // reading, and a stamp older than the reading (a file written within the time
    // granularity of its file system may change again under the same stamp).
    const bool cancelled = cancel && cancel->load(std::memory_order_relaxed);
    if (!cancelled && Platform::fileStamp(path, &after) && after == before &&
        before.isSettledAt(readAt)) {
        keep(path, stamp, entry);
        PdfTextStore::save(path, stamp, entry);
    }
    return entry;
}

void PdfTextCache::keep(const QString& path, const QByteArray& stamp, const Entry& entry)
{
    const QMutexLocker lock(&m_mutex);
    const qsizetype size = footprint(path, entry);
    if (size > m_capacity / 4)
        return;
    if (const auto old = m_kept.find(path); old != m_kept.end()) {
        m_held -= footprint(path, old->entry);
        m_uses.erase(old->use);
        m_kept.erase(old);
    }
    while (m_held + size > m_capacity && !m_uses.empty()) {
        const auto last = m_kept.find(m_uses.back());
        m_held -= footprint(last.key(), last->entry);
        m_kept.erase(last);
        m_uses.pop_back();
    }
    m_uses.push_front(path);
    m_kept.insert(path, Kept{stamp, entry, m_uses.begin()});
    m_held += size;
}

void PdfTextCache::clear()
{
    const QMutexLocker lock(&m_mutex);
    m_kept.clear();
    m_uses.clear();
    m_held = 0;
}
