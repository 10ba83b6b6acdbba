#pragma once

#include "support/latestwork.h"

#include <QIcon>
#include <QList>
#include <QObject>
#include <QStringList>

#include <memory>
#include <vector>

class QTreeWidget;
class QTreeWidgetItem;

// "Найти по названию": the names of every folder and document of the collection, also of the
// folders not opened yet, read once in the background (the walk of a search, names only) and
// kept until the library changes; shown filtered by the loose rule of designations
// (NameMatcher) in a tree of their own, with the folders that lead to them.
class NameFilter final : public QObject
{
    Q_OBJECT
public:
    // view: the tree the matches are shown in.
    NameFilter(QTreeWidget* view, QObject* parent);

    // The collection: its roots (folders to full depth), the captions of the roots' own
    // nodes when they have them (one per root), and the caption of the whole.
    void setCollection(const QStringList& roots, const QStringList& rootCaptions,
                       const QString& title);
    // The library changed: the names are read again at the next filtering.
    void invalidate();
    bool isReady() const { return m_ready; }
    // Shows the names that match typed (all of them while they are still read, when they
    // come); false when nothing matches.
    bool filter(const QString& typed);
    // The path an item of the view stands for.
    static QString pathOf(const QTreeWidgetItem* item);
    // At most this many matches are shown.
    static constexpr int MaxShown = 2000;

signals:
    // The names have been read.
    void ready();

private:
    struct Entry
    {
        QString caption;
        QString foldedCaption;
        QString foldedFileName;
        QString path;
        int parent = -1; // index of the folder entry it lies in; -1 at the top
        bool isFolder = false;
    };
    using Entries = std::vector<Entry>;
    void read();

    QTreeWidget* m_view;
    QStringList m_roots;
    QStringList m_rootCaptions;
    QString m_title;
    std::shared_ptr<const Entries> m_entries;
    bool m_ready = false;
    QString m_pending; // typed while the names are read
    // Last: it ends before the rest goes.
    LatestWork<std::shared_ptr<const Entries>> m_reading{this};
};
