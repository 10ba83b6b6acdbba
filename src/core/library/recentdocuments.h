#pragma once

#include <QList>
#include <QString>

// The documents a reader was shown last, newest first, at most MaxCount of them, kept in the
// settings file's section [Recent] (AppSettings::recentDocuments).
class RecentDocuments
{
public:
    static constexpr int MaxCount = 20;

    struct Item
    {
        QString path;
        QString label;
        bool operator==(const Item&) const = default;
    };

    const QList<Item>& items() const { return m_items; }
    int size() const { return int(m_items.size()); }
    // The document shown now goes first (once; its label renewed), the oldest beyond
    // MaxCount give way. False when nothing changed: it was first already, with that label.
    bool shown(const QString& path, const QString& label);
    // As read from the settings: after the ones there (none twice, none beyond MaxCount).
    void append(const QString& path, const QString& label);
    void clear() { m_items.clear(); }

private:
    QList<Item> m_items;
};
