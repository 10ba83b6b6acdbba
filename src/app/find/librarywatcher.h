#pragma once

#include "search/searchjob.h"
#include "support/latestwork.h"

#include <QHash>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <atomic>
#include <memory>

class LibrarySnapshot;
class QSocketNotifier;

// Keeps the walk of the shown collection's folders while a watch follows them, so that a
// search walks nothing, or only the folders whose files changed. A folder whose walk is not
// kept (being made, or it cannot be followed: a network share, links to folders) is walked
// by each search as before. After changes the walk is made anew in the background.
class LibraryWatcher final : public QObject
{
    Q_OBJECT
public:
    explicit LibraryWatcher(QObject* parent = nullptr);
    ~LibraryWatcher() override;

    // Follows these folders (none: nothing is kept).
    void follow(const QStringList& folders);
    // For a search of folders, beginning now: the walks kept, with the folders reported
    // changed until now.
    QHash<QString, KnownLibrary> knownLibraries(const QStringList& folders);
    // Whether the walk of folder is kept (and followed) now.
    bool isFollowing(const QString& folder) const;
    // A search could not replay the walk kept of these folders (a folder replaced or mounted
    // over, which no watch tells): they are walked anew.
    void renew(const QStringList& folders);

signals:
    // The walks asked for have been made (kept or not).
    void ready();

private:
    struct Followed
    {
        std::shared_ptr<LibrarySnapshot> snapshot;
        QStringList changed;
        QSocketNotifier* notifier = nullptr;
    };
    using Made = QHash<QString, std::shared_ptr<LibrarySnapshot>>;
    // Reads what the watches told; a folder whose walk no longer holds is walked anew soon.
    void takeChanges(const QString& folder);
    void keep(const QString& folder, std::shared_ptr<LibrarySnapshot> snapshot);
    void drop(const QString& folder);
    // folders by value: the list of those waiting (m_stale) is emptied here.
    void makeAnew(QStringList folders);
    void walk(const QStringList& folders);
    void keepWalked(const Made& made);

    QStringList m_folders;
    QHash<QString, Followed> m_followed;
    QStringList m_stale; // to be walked anew
    QTimer m_staleTimer;
    // A thread of its own. Last: it ends before the rest goes.
    LatestWork<Made> m_making{this, QThread::LowestPriority};
};
