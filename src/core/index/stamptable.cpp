#include "stamptable.h"

void StampTable::reserve(qsizetype documents)
{
    m_entries.reserve(size_t(documents));
    m_paths.reserve(documents * 64);
}

void StampTable::add(QByteArrayView nativePath, const Platform::FileStamp& stamp)
{
    m_entries.push_back(Entry{m_paths.size(), nativePath.size(), stamp, false});
    m_paths.append(nativePath);
}

bool StampTable::finish()
{
    m_byPath.clear();
    m_byPath.reserve(qsizetype(m_entries.size()));
    for (size_t i = 0; i < m_entries.size(); ++i) {
        const QByteArrayView path = pathOf(m_entries[i]);
        if (m_byPath.contains(path))
            return false;
        m_byPath.insert(path, qsizetype(i));
    }
    return true;
}

void StampTable::clear()
{
    m_paths.clear();
    m_entries.clear();
    m_byPath.clear();
}

qsizetype StampTable::find(QByteArrayView nativePath) const
{
    return m_byPath.value(nativePath, -1);
}
