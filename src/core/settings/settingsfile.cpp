#include "settings/settingsfile.h"

#include "platform/userfolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace {

// Asked by trying: permission bits say nothing of a read-only mount, an administrator or
// access lists.
bool canCreateFileIn(const QString& folder)
{
    if (!QFileInfo(folder).isDir())
        return false;
    QTemporaryFile probe(folder + QStringLiteral("/.lectoria-XXXXXX"));
    return probe.open();
}

bool& cannotKeep()
{
    static bool flag = false;
    return flag;
}

} // namespace

QString SettingsFile::userFile()
{
    return UserFolders::config() + QStringLiteral("/Lectoria.ini");
}

bool SettingsFile::cannotBeKept()
{
    return cannotKeep();
}

QString SettingsFile::choose(const QString& programFile)
{
    const QFileInfo shipped(programFile);
    // A writable file in a locked folder is still written (in place, as IniFile does then);
    // opened to append, it stays as it is.
    QFile file(programFile);
    if (canCreateFileIn(shipped.absolutePath()) ||
        (shipped.isFile() && file.open(QIODevice::WriteOnly | QIODevice::Append)))
        return programFile;
    const QString own = userFile();
    if (!QFileInfo::exists(own) && QDir().mkpath(QFileInfo(own).absolutePath()) &&
        shipped.isFile() && QFile::copy(programFile, own))
        QFile::setPermissions(own, QFile::ReadOwner | QFile::WriteOwner);
    cannotKeep() = false;
    if (QFileInfo::exists(own) || canCreateFileIn(QFileInfo(own).absolutePath()))
        return own;
    // Nowhere to keep them: the shipped settings are read all the same, and the user is told.
    cannotKeep() = shipped.isFile();
    return shipped.isFile() ? programFile : own;
}
