#include "platform/fileguard.h"

#include <QFile>
#include <QFileInfo>

// Windows keeps links out of a suite's folders; the changes go by name.
namespace {
bool isPlainFile(const QString& path)
{
    const QFileInfo info(path);
    return info.isFile() && !info.isSymLink();
}
} // namespace

FileGuard::Result FileGuard::makeOwnerWritable(const QString& path)
{
    if (!isPlainFile(path))
        return Result::Refused;
    return QFile::setPermissions(path, QFileInfo(path).permissions() | QFileDevice::WriteOwner)
               ? Result::Done
               : Result::WriteFailed;
}

FileGuard::Result FileGuard::clearByte(const QString& path, qint64 offset)
{
    if (!isPlainFile(path) || QFileInfo(path).size() <= offset)
        return Result::Refused;
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return Result::OpenFailed;
    char byte = 0;
    if (!file.seek(offset) || file.read(&byte, 1) != 1)
        return Result::WriteFailed;
    if (byte == 0)
        return Result::Done;
    const char zero = 0;
    return file.seek(offset) && file.write(&zero, 1) == 1 && file.flush() ? Result::Done
                                                                          : Result::WriteFailed;
}

FileGuard::Result FileGuard::removeRegularFile(const QString& path)
{
    if (!isPlainFile(path))
        return Result::Refused;
    makeOwnerWritable(path); // a read-only file cannot be removed there
    return QFile::remove(path) ? Result::Done : Result::WriteFailed;
}

bool FileGuard::lockOpenFile(int)
{
    return true; // no lock there: an in-place write on that system is unguarded
}
