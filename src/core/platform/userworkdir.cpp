#include "platform/userworkdir.h"

#include "platform/platform.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QMutex>

#include <memory>

namespace {

const QString lockName = QStringLiteral("running.lock");

QString namePrefix()
{
    return QStringLiteral("lectoria-") + Platform::userTag() + u'-';
}

// The folder made for this program, with the lock that marks it as in use while it runs.
struct OwnFolder
{
    QMutex mutex;
    QString path;
    std::unique_ptr<QLockFile> lock;
};

OwnFolder& ownFolder()
{
    static OwnFolder folder;
    return folder;
}

} // namespace

QString UserWorkDir::base()
{
    OwnFolder& own = ownFolder();
    const QMutexLocker locker(&own.mutex);
    const QString temp = QDir::tempPath();
    if (!own.path.isEmpty() && QDir::cleanPath(own.path).startsWith(temp + u'/') &&
        Platform::isPrivateFolder(own.path))
        return own.path;
    own.lock.reset();
    own.path = Platform::makeUniqueFolder(temp + u'/' + namePrefix());
    if (own.path.isEmpty())
        return QString();
    own.lock = std::make_unique<QLockFile>(own.path + u'/' + lockName);
    own.lock->setStaleLockTime(0); // only a lock of a program that has ended is stale
    own.lock->tryLock(0);
    return own.path;
}

QString UserWorkDir::viewerWorkDir(int slot)
{
    const QString root = base();
    if (root.isEmpty())
        return QString();
    return slot > 0 ? root + QStringLiteral("/Q%1.temp/").arg(slot + 1)
                    : root + QStringLiteral("/Q.temp/");
}

QString UserWorkDir::highlightWorkDir(int slot)
{
    const QString root = base();
    if (root.isEmpty())
        return QString();
    return slot > 0 ? root + QStringLiteral("/Temp/NormDoc%1").arg(slot + 1)
                    : root + QStringLiteral("/Temp/NormDoc");
}

void UserWorkDir::removeBase()
{
    OwnFolder& own = ownFolder();
    const QMutexLocker locker(&own.mutex);
    if (own.path.isEmpty())
        return;
    own.lock.reset(); // unlocks and removes the lock file
    if (Platform::isPrivateFolder(own.path))
        Platform::removeTree(own.path);
    own.path.clear();
}

void UserWorkDir::removeLeftovers()
{
    const QString temp = QDir::tempPath();
    const QStringList names =
        QDir(temp).entryList({namePrefix() + u'*'}, QDir::Dirs | QDir::Hidden | QDir::NoSymLinks);
    QString own;
    {
        OwnFolder& folder = ownFolder();
        const QMutexLocker locker(&folder.mutex);
        own = folder.path;
    }
    for (const QString& name : names) {
        const QString path = temp + u'/' + name;
        if (path == own || !Platform::isPrivateFolder(path))
            continue; // not this user's own real folder
        // The lock decides: a program still running holds it, the lock of one that has ended
        // (killed, crashed) is stale and its folder goes at once. Only a folder without a lock
        // is given a minute: its program may be starting and not hold its lock yet.
        const QString lockPath = path + u'/' + lockName;
        if (!QFileInfo::exists(lockPath) &&
            QFileInfo(path).lastModified().secsTo(QDateTime::currentDateTime()) < 60)
            continue;
        QLockFile lock(lockPath);
        lock.setStaleLockTime(0);
        if (!lock.tryLock(0))
            continue;
        lock.unlock();
        Platform::removeTree(path);
    }
}
