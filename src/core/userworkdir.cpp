#include "userworkdir.h"

#include "platform.h"

#include <QDir>
#include <QFileInfo>

namespace {

QString basePath()
{
    return QDir::tempPath() + QStringLiteral("/lectoria-") + Platform::userTag();
}

} // namespace

QString UserWorkDir::base()
{
    const QString path = basePath();
    return Platform::makePrivateFolder(path) ? path : QString();
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
    if (!Platform::isPrivateFolder(path))
        return;
    QDir().rmdir(path + QStringLiteral("/Temp"));
    QDir().rmdir(path);
}
