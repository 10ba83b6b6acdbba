#include "library/favorites.h"

#include "platform/platform.h"
#include <algorithm>

bool Favorites::add(const QString& path, const QString& label)
{
    if (path.isEmpty() || contains(path))
        return false;
    m_items.append(Item{path, label.isEmpty() ? path : label});
    return true;
}

bool Favorites::contains(const QString& path) const
{
    return std::any_of(m_items.begin(), m_items.end(),
                       [&path](const Item& item) { return item.path == path; });
}

void Favorites::rename(int index, const QString& label)
{
    if (index >= 0 && index < size() && !label.trimmed().isEmpty())
        m_items[index].label = label.trimmed();
}

void Favorites::remove(int index)
{
    if (index >= 0 && index < size())
        m_items.removeAt(index);
}

void Favorites::move(int index, int step)
{
    const int to = index + step;
    if (index >= 0 && index < size() && to >= 0 && to < size())
        m_items.move(index, to);
}

bool Favorites::exists(const Item& item)
{
    return Platform::isFile(item.path) || Platform::isFolder(item.path);
}
