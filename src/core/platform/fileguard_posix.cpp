#include "platform/fileguard.h"

#include "platform/platform.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A descriptor of a regular file with one name, opened without following a link or waiting
// on a pipe; -1 with *refused set when the file is none such.
int openRegular(const QString& path, int mode, bool* refused)
{
    *refused = false;
    const int fd = ::open(Platform::toNative(path).c_str(),
                          mode | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        *refused = errno == ELOOP;
        return -1;
    }
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_nlink != 1) {
        ::close(fd);
        *refused = true;
        return -1;
    }
    return fd;
}

} // namespace

FileGuard::Result FileGuard::makeOwnerWritable(const QString& path)
{
    bool refused = false;
    const int fd = openRegular(path, O_RDONLY, &refused);
    if (fd < 0)
        return refused ? Result::Refused : Result::OpenFailed;
    struct stat info;
    Result result = Result::Done;
    if (::fstat(fd, &info) != 0 || info.st_uid != ::geteuid())
        result = Result::Refused; // not ours to unlock
    else if (!(info.st_mode & S_IWUSR) && ::fchmod(fd, (info.st_mode & 07777) | S_IWUSR) != 0)
        result = Result::WriteFailed;
    ::close(fd);
    return result;
}

FileGuard::Result FileGuard::clearByte(const QString& path, qint64 offset)
{
    bool refused = false;
    const int fd = openRegular(path, O_RDWR, &refused);
    if (fd < 0)
        return refused ? Result::Refused : Result::OpenFailed;
    struct stat info;
    char byte = 0;
    Result result = Result::Done;
    if (::fstat(fd, &info) != 0 || info.st_size <= offset)
        result = Result::Refused;
    else if (::pread(fd, &byte, 1, off_t(offset)) != 1)
        result = Result::WriteFailed;
    else if (byte != 0 && ::pwrite(fd, "", 1, off_t(offset)) != 1)
        result = Result::WriteFailed;
    ::close(fd);
    return result;
}

FileGuard::Result FileGuard::removeRegularFile(const QString& path)
{
    const std::filesystem::path native = Platform::toNative(path);
    struct stat info;
    if (::lstat(native.c_str(), &info) != 0)
        return Result::OpenFailed;
    if (!S_ISREG(info.st_mode))
        return Result::Refused;
    // Removing a name never reaches through a link, whatever the name has become meanwhile.
    return ::unlink(native.c_str()) == 0 ? Result::Done : Result::WriteFailed;
}

bool FileGuard::lockOpenFile(int handle)
{
    for (;;) {
        if (::flock(handle, LOCK_EX) == 0)
            return true;
        if (errno != EINTR)
            return false;
    }
}
