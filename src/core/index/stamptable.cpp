#include "index/stamptable.h"

void StampTable::reserve(qsizetype documents)
{
    m_entries.reserve(size_t(documents));
    // Room for the usual long paths at once: the block is seldom copied as it grows.
    m_paths.reserve(documents * 160);
}

void StampTable::add(QByteArrayView nativePath, const Platform::FileStamp& stamp)
{
    m_entries.push_back(Entry{m_paths.size(), nativePath.size(), stamp});
    m_paths.append(nativePath);
}

bool StampTable::finish()
{
    size_t count = 16;
    while (count < 2 * m_entries.size())
        count *= 2;
    m_slots.assign(count, 0);
    for (size_t i = 0; i < m_entries.size(); ++i) {
        const QByteArrayView path = pathOf(m_entries[i]);
        for (size_t slot = hashOf(path) & (count - 1);; slot = (slot + 1) & (count - 1)) {
            if (m_slots[slot] == 0) {
                m_slots[slot] = qsizetype(i) + 1;
                break;
            }
            if (pathOf(m_entries[size_t(m_slots[slot] - 1)]) == path)
                return false;
        }
    }
    return true;
}

void StampTable::clear()
{
    m_paths.clear();
    m_entries.clear();
    m_slots.clear();
}

qsizetype StampTable::find(QByteArrayView nativePath) const
{
    if (m_slots.empty())
        return -1;
    const qsizetype guess = m_next.load();
    if (guess >= 0 && guess < size() && pathOf(m_entries[size_t(guess)]) == nativePath) {
        m_next.store(guess + 1);
        return guess;
    }
    const size_t mask = m_slots.size() - 1;
    for (size_t slot = hashOf(nativePath) & mask;; slot = (slot + 1) & mask) {
        const qsizetype entry = m_slots[slot] - 1;
        if (entry < 0 || pathOf(m_entries[size_t(entry)]) == nativePath) {
            if (entry >= 0)
                m_next.store(entry + 1);
            return entry;
        }
    }
}
