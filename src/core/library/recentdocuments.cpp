#include "library/recentdocuments.h"

#include <algorithm>

bool RecentDocuments::shown(const QString& path, const QString& label)
{
    if (path.isEmpty())
        return false;
    const Item item{path, label.isEmpty() ? path : label};
    if (!m_items.isEmpty() && m_items.first() == item)
        return false;
    m_items.removeIf([&path](const Item& kept) { return kept.path == path; });
    m_items.prepend(item);
    while (m_items.size() > MaxCount)
        m_items.removeLast();
    return true;
}

void RecentDocuments::append(const QString& path, const QString& label)
{
    if (path.isEmpty() || m_items.size() >= MaxCount ||
        std::any_of(m_items.begin(), m_items.end(),
                    [&path](const Item& kept) { return kept.path == path; }))
        return;
    m_items.append(Item{path, label.isEmpty() ? path : label});
}
