#pragma once

#include <QString>

// Changes to a file that must reach that file and no other: each one acts on a descriptor
// opened without following a link, and only on a regular file with no second name (through a
// link or a hard link a change would land on a file somebody else chose). One module per
// system, like Platform.
namespace FileGuard {

enum class Result
{
    Done,
    Refused, // a link, no regular file, a file with another name, or too short
    OpenFailed,
    WriteFailed
};

// Gives the owner write permission on a regular file of the current user's.
Result makeOwnerWritable(const QString& path);
// Sets the byte at offset to 0 unless it already is; a file never grows by it.
Result clearByte(const QString& path, qint64 offset);
// Removes a regular file; a link of that name stays, and so does what it points to.
Result removeRegularFile(const QString& path);
// Holds an exclusive lock on the open file handle (QFile::handle()) until it is closed;
// waits for another holder.
bool lockOpenFile(int handle);

} // namespace FileGuard
