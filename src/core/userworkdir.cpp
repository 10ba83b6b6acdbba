#include "userworkdir.h"

#include <QDir>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

QString basePath()
{
#ifdef Q_OS_UNIX
    return QDir::tempPath() + QStringLiteral("/lectoria-") + QString::number(::getuid());
#else
    return QDir::tempPath() + QStringLiteral("/lectoria");
#endif
}

bool isSafeDirectory(const QString& path)
{
#ifdef Q_OS_UNIX
    struct stat info;
    const QByteArray native = QFile::encodeName(path);
    if (::lstat(native.constData(), &info) != 0)
        return false;
    if (!S_ISDIR(info.st_mode) || info.st_uid != ::getuid())
        return false;
    if ((info.st_mode & 0077) != 0)
        return ::chmod(native.constData(), 0700) == 0;
    return true;
#else
    const QFileInfo info(path);
    return info.isDir() && !info.isSymLink();
#endif
}

} // namespace

QString UserWorkDir::base()
{
    const QString path = basePath();
#ifdef Q_OS_UNIX
    const QByteArray native = QFile::encodeName(path);
    ::mkdir(native.constData(), 0700); // fails harmlessly when it exists
#else
    QDir().mkpath(path);
#endif
    return isSafeDirectory(path) ? path : QString();
}

QString UserWorkDir::viewerWorkDir()
{
    const QString root = base();
    return root.isEmpty() ? QString() : root + QStringLiteral("/Q.temp/");
}

QString UserWorkDir::highlightWorkDir()
{
    const QString root = base();
    return root.isEmpty() ? QString() : root + QStringLiteral("/Temp/NormDoc");
}

void UserWorkDir::removeBaseIfEmpty()
{
    const QString path = basePath();
    if (!isSafeDirectory(path))
        return;
    QDir().rmdir(path + QStringLiteral("/Temp"));
    QDir().rmdir(path);
}
