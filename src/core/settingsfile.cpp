#include "settingsfile.h"

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

} // namespace

QString SettingsFile::userFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/lectoria/Lectoria.ini");
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
    return own;
}
