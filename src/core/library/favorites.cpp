#include "favorites.h"

#include "inifile.h"

#include "platform.h"
#include <algorithm>

namespace {

const QString section = QStringLiteral("Favorites");

} // namespace

Favorites Favorites::load(const QString& settingsFile)
{
    const IniFile ini{};
    Favorites favorites;
    const int count = ini.readInt(settingsFile, section, QStringLiteral("Count"));
    for (int i = 1; i <= count && i <= 10000; ++i) {
        const QString path = ini.readText(settingsFile, section, QStringLiteral("Path%1").arg(i));
        if (path.isEmpty())
            continue;
        QString label = ini.readText(settingsFile, section, QStringLiteral("Label%1").arg(i));
        favorites.m_items.append(Item{path, label.isEmpty() ? path : label});
    }
    return favorites;
}

bool Favorites::save(const QString& settingsFile) const
{
    const IniFile ini{};
    bool written = ini.writeInt(settingsFile, section, QStringLiteral("Count"), size());
    for (int i = 0; i < size() && written; ++i) {
        written = ini.writeText(settingsFile, section, QStringLiteral("Path%1").arg(i + 1),
                                m_items[i].path) &&
                  ini.writeText(settingsFile, section, QStringLiteral("Label%1").arg(i + 1),
                                m_items[i].label);
    }
    return written;
}

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
