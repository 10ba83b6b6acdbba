#pragma once

#include <QList>
#include <QString>

// The documents and folders a reader keeps at hand, in the settings file's section
// [Favorites] (AppSettings::favorites), in the reader's order.
class Favorites
{
public:
    struct Item
    {
        QString path;
        QString label;
        bool operator==(const Item&) const = default;
    };

    const QList<Item>& items() const { return m_items; }
    int size() const { return int(m_items.size()); }
    // Adds a path at the end with its label; false (and nothing added) when it is there.
    bool add(const QString& path, const QString& label);
    bool contains(const QString& path) const;
    void rename(int index, const QString& label);
    void remove(int index);
    // Moves an item one place up (-1) or down (+1).
    void move(int index, int step);
    // Whether the item's document or folder is still there.
    static bool exists(const Item& item);

private:
    QList<Item> m_items;
};
