#include "platform/userfolders.h"

#include <QDir>

namespace {

QString programFolderIn(const char* variable, const QString& fallback)
{
    QString base = qEnvironmentVariable(variable);
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + fallback;
    return base + QStringLiteral("/lectoria");
}

} // namespace

namespace UserFolders {

QString cache()
{
    return programFolderIn("XDG_CACHE_HOME", QStringLiteral("/.cache"));
}

QString config()
{
    return programFolderIn("XDG_CONFIG_HOME", QStringLiteral("/.config"));
}

} // namespace UserFolders
