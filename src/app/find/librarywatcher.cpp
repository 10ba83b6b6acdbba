#include "find/librarywatcher.h"

#include "library/librarysnapshot.h"

#include <QSocketNotifier>

namespace {

// Changes come in bursts (a copy of many documents): the walk is made anew once they settle.
constexpr int SettleMilliseconds = 2000;
// More folders changed than this: the walk is made anew at once.
constexpr qsizetype ManyChangedFolders = 64;

} // namespace

LibraryWatcher::LibraryWatcher(QObject* parent) : QObject(parent)
{
    m_staleTimer.setSingleShot(true);
    m_staleTimer.setInterval(SettleMilliseconds);
    connect(&m_staleTimer, &QTimer::timeout, this, [this] { makeAnew(m_stale); });
}

LibraryWatcher::~LibraryWatcher()
{
    m_making.cancelAndWait();
    for (const QString& folder : m_followed.keys())
        drop(folder);
}

void LibraryWatcher::follow(const QStringList& folders)
{
    if (folders == m_folders && (!m_followed.isEmpty() || m_making.isRunning()))
        return;
    for (const QString& folder : m_followed.keys())
        drop(folder);
    // A walk still made for the folders before is of no use now: it gives way to theirs.
    m_making.cancel();
    m_folders = folders;
    m_stale.clear();
    m_staleTimer.stop();
    if (!folders.isEmpty())
        walk(folders);
}

void LibraryWatcher::makeAnew(QStringList folders)
{
    if (folders.isEmpty())
        return;
    if (m_making.isRunning()) {
        // Asked again when the running one has ended.
        for (const QString& folder : folders) {
            if (!m_stale.contains(folder))
                m_stale.append(folder);
        }
        return;
    }
    walk(folders);
}

void LibraryWatcher::walk(const QStringList& folders)
{
    m_stale.clear();
    m_making.start(
        [folders](const auto& run) {
            Made made;
            for (const QString& folder : folders) {
                if (run.isStopped())
                    break;
                made.insert(folder, std::shared_ptr<LibrarySnapshot>(
                                        LibrarySnapshot::take(folder, run.stopFlag()).release()));
            }
            return made;
        },
        [this](const Made& made) { keepWalked(made); });
}

void LibraryWatcher::keepWalked(const Made& made)
{
    for (auto it = made.constBegin(); it != made.constEnd(); ++it) {
        if (m_folders.contains(it.key()))
            keep(it.key(), it.value());
    }
    emit ready();
    if (!m_stale.isEmpty() && !m_staleTimer.isActive())
        m_staleTimer.start();
}

void LibraryWatcher::keep(const QString& folder, std::shared_ptr<LibrarySnapshot> snapshot)
{
    drop(folder);
    if (!snapshot)
        return; // cannot be followed: every search walks it
    Followed& followed = m_followed[folder];
    followed.snapshot = std::move(snapshot);
    followed.notifier =
        new QSocketNotifier(followed.snapshot->watchDescriptor(), QSocketNotifier::Read, this);
    connect(followed.notifier, &QSocketNotifier::activated, this,
            [this, folder] { takeChanges(folder); });
}

void LibraryWatcher::drop(const QString& folder)
{
    const auto followed = m_followed.find(folder);
    if (followed == m_followed.end())
        return;
    // Perhaps in its own signal: it goes once that has returned.
    followed->notifier->setEnabled(false);
    followed->notifier->deleteLater();
    m_followed.erase(followed);
}

void LibraryWatcher::takeChanges(const QString& folder)
{
    const auto followed = m_followed.find(folder);
    if (followed == m_followed.end())
        return;
    const Platform::FolderWatch::Changes changes = followed->snapshot->takeChanges();
    if (changes.folders.isEmpty() && !changes.structure)
        return;
    for (const QString& changed : changes.folders) {
        if (!followed->changed.contains(changed))
            followed->changed.append(changed);
    }
    const bool many = followed->changed.size() > ManyChangedFolders;
    if (changes.structure || many) {
        // The walk kept no longer tells the library's folders: searches walk until it is
        // made anew.
        drop(folder);
        makeAnew({folder});
        return;
    }
    if (!m_stale.contains(folder))
        m_stale.append(folder);
    m_staleTimer.start();
}

QHash<QString, KnownLibrary> LibraryWatcher::knownLibraries(const QStringList& folders)
{
    QHash<QString, KnownLibrary> known;
    for (const QString& folder : folders) {
        // What happened up to now is read first: a change just made is never missed.
        takeChanges(folder);
        const auto followed = m_followed.constFind(folder);
        if (followed != m_followed.constEnd())
            known.insert(folder, KnownLibrary{followed->snapshot, followed->changed});
    }
    return known;
}

bool LibraryWatcher::isFollowing(const QString& folder) const
{
    return m_followed.contains(folder);
}

void LibraryWatcher::renew(const QStringList& folders)
{
    QStringList followed;
    for (const QString& folder : folders) {
        if (m_followed.contains(folder)) {
            drop(folder);
            followed.append(folder);
        }
    }
    makeAnew(followed);
}
