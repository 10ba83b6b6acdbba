#include "platform/platform.h"

#include <QFile>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QStringDecoder>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>
#include <system_error>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
QString nameFromBytes(QByteArrayView native);
}

namespace {

constexpr char16_t keptByteBase = 0xDC00; // U+DC80..U+DCFF: a byte of a name that is no UTF-8

bool isKeptByte(QStringView text, qsizetype i)
{
    const char16_t c = text[i].unicode();
    return c >= keptByteBase + 0x80 && c <= keptByteBase + 0xFF &&
           (i == 0 || !QChar::isHighSurrogate(text[i - 1].unicode()));
}

bool hasKeptBytes(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (isKeptByte(text, i))
            return true;
    }
    return false;
}

QByteArray nativeBytes(const QString& path)
{
    if (!hasKeptBytes(path))
        return QFile::encodeName(path);
    QByteArray bytes;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= path.size(); ++i) {
        if (i < path.size() && !isKeptByte(path, i))
            continue;
        bytes += QStringView(path).mid(start, i - start).toUtf8();
        if (i < path.size())
            bytes += char(path[i].unicode() - keptByteBase);
        start = i + 1;
    }
    return bytes;
}

// The path as the system takes it, without making a std::filesystem::path of it (which splits
// it into its parts): a document is opened or stamped by it.
std::string nativeString(const QString& path)
{
    return nativeBytes(path).toStdString();
}

// The length of the valid UTF-8 sequence at data[i], or 0.
int utf8SequenceAt(const QByteArray& data, qsizetype i)
{
    const auto c = uchar(data[i]);
    const int length = c < 0x80         ? 1
                       : (c >> 5) == 6  ? 2
                       : (c >> 4) == 14 ? 3
                       : (c >> 3) == 30 ? 4
                                        : 0;
    if (length == 0 || i + length > data.size())
        return 0;
    for (int k = 1; k < length; ++k) {
        if ((uchar(data[i + k]) & 0xC0) != 0x80)
            return 0;
    }
    if (length > 1 &&
        QString::fromUtf8(data.constData() + i, length).contains(QChar::ReplacementCharacter))
        return 0; // overlong or a surrogate
    return length;
}

} // namespace

namespace {

// Opens a path of any length: one the system cannot take whole (4,096 bytes and more) is
// opened a folder at a time, relative to the folder opened before.
int openAnyLength(const std::string& path, int flags)
{
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
    if (fd >= 0 || errno != ENAMETOOLONG)
        return fd;
    const bool absolute = !path.empty() && path[0] == '/';
    int folder = ::open(absolute ? "/" : ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    size_t from = absolute ? 1 : 0;
    while (folder >= 0) {
        const size_t slash = path.find('/', from);
        const std::string part =
            path.substr(from, slash == std::string::npos ? slash : slash - from);
        if (slash == std::string::npos) {
            const int opened = ::openat(folder, part.c_str(), flags | O_CLOEXEC);
            ::close(folder);
            return opened;
        }
        if (!part.empty()) {
            const int next = ::openat(folder, part.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
            ::close(folder);
            folder = next;
        }
        from = slash + 1;
    }
    return -1;
}

// The status of a path of any length (links followed).
bool statAnyLength(const std::string& path, struct stat* info)
{
    if (::stat(path.c_str(), info) == 0)
        return true;
    if (errno != ENAMETOOLONG)
        return false;
    const int fd = openAnyLength(path, O_PATH);
    const bool ok = fd >= 0 && ::fstat(fd, info) == 0;
    if (fd >= 0)
        ::close(fd);
    return ok;
}

bool lstatAnyLength(const std::string& path, struct stat* info)
{
    if (::lstat(path.c_str(), info) == 0)
        return true;
    if (errno != ENAMETOOLONG)
        return false;
    const int fd = openAnyLength(path, O_PATH | O_NOFOLLOW);
    const bool ok = fd >= 0 && ::fstat(fd, info) == 0;
    if (fd >= 0)
        ::close(fd);
    return ok;
}

// Whether this user may read a file, as its permission bits tell (an access list may say
// otherwise; the reading itself then tells).
bool mayRead(const struct stat& info)
{
    static const uid_t user = ::geteuid();
    if (user == 0)
        return true;
    if (info.st_uid == user)
        return (info.st_mode & S_IRUSR) != 0;
    static const std::vector<gid_t> groups = [] {
        std::vector<gid_t> all(size_t(std::max(::getgroups(0, nullptr), 0)) + 1);
        const int count = ::getgroups(int(all.size() - 1), all.data());
        all.resize(size_t(std::max(count, 0)));
        all.push_back(::getegid());
        return all;
    }();
    if (std::find(groups.begin(), groups.end(), info.st_gid) != groups.end())
        return (info.st_mode & S_IRGRP) != 0;
    return (info.st_mode & S_IROTH) != 0;
}

} // namespace

std::filesystem::path Platform::toNative(const QString& path)
{
    return fs::path(nativeBytes(path).toStdString());
}

QByteArray Platform::toNativeBytes(const QString& path)
{
    return nativeBytes(path);
}

QString Platform::fromNativeBytes(QByteArrayView path)
{
    return nameFromBytes(path);
}

QString Platform::displayName(const QString& name)
{
    if (!hasKeptBytes(name))
        return name;
    QString shown;
    QByteArray run;
    const auto flush = [&] {
        shown += QStringDecoder("windows-1251").decode(run);
        run.clear();
    };
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (isKeptByte(name, i)) {
            run += char(name[i].unicode() - keptByteBase);
            continue;
        }
        flush();
        shown += name[i];
    }
    flush();
    return shown;
}

QUrl Platform::fileUrl(const QString& path)
{
    if (!hasKeptBytes(path))
        return QUrl::fromLocalFile(path);
    return QUrl::fromEncoded("file://" + nativeBytes(path).toPercentEncoding("/"));
}

bool Platform::isFile(const QString& path)
{
    struct stat info;
    return statAnyLength(nativeString(path), &info) && S_ISREG(info.st_mode);
}

namespace {

std::atomic<quint64> stampCount{0};

qint64 nanoseconds(const struct timespec& time)
{
    return qint64(time.tv_sec) * 1000000000 + qint64(time.tv_nsec);
}

// The stamp of a file from its own status and, for a link, its target's; false when the
// target is no regular file.
bool stampOf(const struct stat& own, const struct stat* target, Platform::FileStamp* stamp)
{
    const struct stat& file = target ? *target : own;
    if (!S_ISREG(file.st_mode))
        return false;
    *stamp = Platform::FileStamp{};
    stamp->device = quint64(file.st_dev);
    stamp->inode = quint64(file.st_ino);
    stamp->size = qint64(file.st_size);
    stamp->modified = nanoseconds(file.st_mtim);
    stamp->changed = nanoseconds(file.st_ctim);
    stamp->readable = mayRead(file);
    if (target) {
        stamp->linkInode = quint64(own.st_ino);
        stamp->linkChanged = nanoseconds(own.st_ctim);
    }
    return true;
}

} // namespace

bool Platform::fileStamp(const QString& path, FileStamp* stamp)
{
    stampCount.fetch_add(1, std::memory_order_relaxed);
    // The file's own status first: the target is looked at only for a link.
    const std::string native = nativeString(path);
    struct stat own;
    if (!lstatAnyLength(native, &own))
        return false;
    if (!S_ISLNK(own.st_mode))
        return stampOf(own, nullptr, stamp);
    struct stat target;
    return statAnyLength(native, &target) && stampOf(own, &target, stamp);
}

namespace {

std::atomic<quint64> listingCount{0};

// The stamp of an entry of an open folder by its name.
bool stampAt(int folder, const char* name, Platform::FileStamp* stamp)
{
    stampCount.fetch_add(1, std::memory_order_relaxed);
    struct stat own;
    if (::fstatat(folder, name, &own, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    if (!S_ISLNK(own.st_mode))
        return stampOf(own, nullptr, stamp);
    struct stat target;
    return ::fstatat(folder, name, &target, 0) == 0 && stampOf(own, &target, stamp);
}

} // namespace

bool Platform::FolderEntry::stamp(FileStamp* stamp) const
{
    // The entry's own name, ending with a zero.
    return stampAt(m_folderHandle, m_nativeName.data(), stamp);
}

bool Platform::stampEntries(const QString& folder, const FolderId& id,
                            const QList<QByteArray>& names,
                            std::vector<std::optional<FileStamp>>* stamps)
{
    const int fd = openAnyLength(nativeString(folder), O_RDONLY | O_DIRECTORY);
    struct stat info;
    const bool same = fd >= 0 && ::fstat(fd, &info) == 0 && quint64(info.st_dev) == id.device &&
                      quint64(info.st_ino) == id.inode;
    if (same) {
        stamps->assign(size_t(names.size()), std::nullopt);
        for (qsizetype i = 0; i < names.size(); ++i) {
            FileStamp stamp;
            if (!names.at(i).isEmpty() && stampAt(fd, names.at(i).constData(), &stamp))
                (*stamps)[size_t(i)] = stamp;
        }
    }
    if (fd >= 0)
        ::close(fd);
    return same;
}

quint64 Platform::folderListings()
{
    return listingCount.load(std::memory_order_relaxed);
}

quint64 Platform::stampsTaken()
{
    return stampCount.load(std::memory_order_relaxed);
}

bool Platform::applyUsualPermissions(const QString& path)
{
    // The mask can only be read by setting it; it is set back at once (the window's thread
    // is the one that writes files here).
    const mode_t mask = ::umask(0077);
    ::umask(mask);
    return ::chmod(nativeString(path).c_str(), 0666 & ~mask) == 0;
}

bool Platform::isFolder(const QString& path)
{
    struct stat info;
    return statAnyLength(nativeString(path), &info) && S_ISDIR(info.st_mode);
}

bool Platform::endsWithSeparator(const QString& path)
{
    return path.endsWith(u'/');
}

QString Platform::fromNativeName(const std::filesystem::path& name)
{
    const std::string& native = name.native();
    return nameFromBytes(QByteArrayView(native.data(), qsizetype(native.size())));
}

namespace {

QString nameFromBytes(QByteArrayView native)
{
    // Names are UTF-8 almost always: told apart at once, converted once.
    if (native.isValidUtf8())
        return QString::fromUtf8(native);
    const QByteArray bytes = native.toByteArray();
    const QString text = QFile::decodeName(bytes);
    if (QFile::encodeName(text) == bytes)
        return text;
    QString kept;
    for (qsizetype i = 0; i < bytes.size();) {
        const int length = utf8SequenceAt(bytes, i);
        if (length > 0) {
            kept += QString::fromUtf8(bytes.constData() + i, length);
            i += length;
        } else {
            kept += QChar(char16_t(keptByteBase + uchar(bytes[i])));
            ++i;
        }
    }
    return kept;
}

} // namespace

bool Platform::folderId(const QString& dir, FolderId* id)
{
    struct stat info;
    if (!statAnyLength(nativeString(dir), &info) || !S_ISDIR(info.st_mode))
        return false;
    *id = FolderId{quint64(info.st_dev), quint64(info.st_ino)};
    return true;
}

bool Platform::isPseudoFileSystem(const QString& dir)
{
    const int fd = openAnyLength(nativeString(dir), O_PATH);
    struct statfs info;
    const bool known = fd >= 0 && ::fstatfs(fd, &info) == 0;
    if (fd >= 0)
        ::close(fd);
    if (!known)
        return false;
    switch (static_cast<unsigned long>(info.f_type)) {
    case 0x9fa0:     // proc
    case 0x62656572: // sysfs
    case 0x1cd1:     // devpts
    case 0x64626720: // debugfs
    case 0x74726163: // tracefs
    case 0x73636673: // securityfs
    case 0x27e0eb:   // cgroup
    case 0x63677270: // cgroup2
    case 0xcafe4a11: // bpf
    case 0x62656570: // configfs
    case 0x65735543: // fusectl
    case 0x6165676c: // pstore
    case 0x19800202: // mqueue
    case 0x42494e4d: // binfmt_misc
        return true;
    default:
        break;
    }
    // Devices live on an ordinary memory file system: known by the device of /dev itself.
    struct stat folder;
    struct stat devices;
    struct stat root;
    return statAnyLength(nativeString(dir), &folder) && ::stat("/dev", &devices) == 0 &&
           ::stat("/", &root) == 0 && devices.st_dev != root.st_dev &&
           folder.st_dev == devices.st_dev;
}

bool Platform::forEachFolderEntry(const QString& dir,
                                  const std::function<bool(const FolderEntry&)>& visit,
                                  const std::function<bool(const FolderId&)>& opened)
{
    listingCount.fetch_add(1, std::memory_order_relaxed);
    // Listed through the folder's descriptor: the path's length does not matter.
    const int fd = openAnyLength(nativeString(dir), O_RDONLY | O_DIRECTORY);
    struct stat info;
    if (fd >= 0 && opened && ::fstat(fd, &info) == 0 &&
        !opened(FolderId{quint64(info.st_dev), quint64(info.st_ino)})) {
        ::close(fd);
        return true; // not to be listed
    }
    DIR* folder = fd >= 0 ? ::fdopendir(fd) : nullptr;
    if (!folder) {
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    bool complete = true;
    errno = 0;
    while (const dirent* entry = ::readdir(folder)) {
        const char* raw = entry->d_name;
        if (std::strcmp(raw, ".") == 0 || std::strcmp(raw, "..") == 0)
            continue;
        const QString name = nameFromBytes(QByteArrayView(raw));
        if (name.isEmpty()) {
            complete = false;
            continue;
        }
        bool isFolder = entry->d_type == DT_DIR;
        bool isLink = entry->d_type == DT_LNK;
        if (entry->d_type == DT_UNKNOWN) {
            struct stat own;
            isLink = ::fstatat(::dirfd(folder), raw, &own, AT_SYMLINK_NOFOLLOW) == 0 &&
                     S_ISLNK(own.st_mode);
        }
        if (isLink || entry->d_type == DT_UNKNOWN) {
            struct stat info; // links to folders count
            isFolder = ::fstatat(::dirfd(folder), raw, &info, 0) == 0 && S_ISDIR(info.st_mode);
        }
        if (!visit(
                FolderEntry(name, QByteArrayView(raw), isFolder, isLink, ::dirfd(folder), dir))) {
            ::closedir(folder);
            return complete;
        }
        errno = 0;
    }
    complete = complete && errno == 0;
    ::closedir(folder);
    return complete;
}

bool Platform::forEachEntry(const QString& dir,
                            const std::function<bool(const QString&, bool)>& visit)
{
    return forEachFolderEntry(
        dir, [&visit](const FolderEntry& entry) { return visit(entry.name(), entry.isFolder()); });
}

Platform::FolderWatch::FolderWatch() : m_descriptor(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}

Platform::FolderWatch::~FolderWatch()
{
    if (m_descriptor >= 0)
        ::close(m_descriptor);
}

bool Platform::FolderWatch::add(const QString& folder)
{
    if (m_descriptor < 0 || isPseudoFileSystem(folder))
        return false;
    const std::string native = nativeString(folder);
    struct statfs system;
    if (::statfs(native.c_str(), &system) != 0)
        return false;
    // Only file systems of this machine's own disks and memory, where every change passes
    // through this kernel and is told: not network or cluster file systems (other machines
    // write there), FUSE, or an overlay (whose lower layers change unseen).
    switch (static_cast<unsigned long>(system.f_type)) {
    case 0xef53:     // ext2, ext3, ext4
    case 0x58465342: // XFS
    case 0x9123683e: // Btrfs
    case 0x01021994: // tmpfs
    case 0xf2f52010: // F2FS
    case 0x2fc12fc1: // ZFS
    case 0xca451a4e: // bcachefs
    case 0x3153464a: // JFS
    case 0x52654973: // ReiserFS
    case 0x4d44:     // FAT
    case 0x2011bab0: // exFAT
    case 0x7366746e: // NTFS (ntfs3)
    case 0x482b:     // HFS+
    case 0x73717368: // SquashFS
    case 0x9660:     // ISO 9660
    case 0x15013346: // UDF
        break;
    default:
        return false;
    }
    const int watch = ::inotify_add_watch(
        m_descriptor, native.c_str(),
        IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_CREATE | IN_DELETE | IN_MOVED_FROM |
            IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR | IN_DONT_FOLLOW);
    if (watch < 0)
        return false;
    m_folders.insert(watch, folder);
    return true;
}

Platform::FolderWatch::Changes Platform::FolderWatch::take()
{
    Changes changes;
    if (m_descriptor < 0)
        return changes;
    alignas(struct inotify_event) char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(m_descriptor, buffer, sizeof buffer);
        if (got <= 0)
            break;
        for (ssize_t at = 0; at + ssize_t(sizeof(struct inotify_event)) <= got;) {
            const auto* event = reinterpret_cast<const struct inotify_event*>(buffer + at);
            at += ssize_t(sizeof(struct inotify_event)) + ssize_t(event->len);
            const uint32_t mask = event->mask;
            if ((mask & (IN_Q_OVERFLOW | IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT |
                         IN_ISDIR)) != 0 ||
                !m_folders.contains(event->wd)) {
                changes.structure = true;
                continue;
            }
            const QString& folder = m_folders[event->wd];
            if (!changes.folders.contains(folder))
                changes.folders.append(folder);
        }
    }
    return changes;
}

struct Platform::ReadOnlyFile::Handle
{
    int fd = -1;
    bool openFailed = false;
};

Platform::ReadOnlyFile::ReadOnlyFile(const QString& path) : m_handle(new Handle)
{
    m_handle->fd = openAnyLength(nativeString(path), O_RDONLY | O_NONBLOCK);
    m_handle->openFailed = m_handle->fd < 0 && errno != EISDIR;
    struct stat info;
    if (m_handle->fd >= 0 && (::fstat(m_handle->fd, &info) != 0 || !S_ISREG(info.st_mode))) {
        ::close(m_handle->fd);
        m_handle->fd = -1;
    }
}

Platform::ReadOnlyFile::~ReadOnlyFile()
{
    if (m_handle->fd >= 0)
        ::close(m_handle->fd);
    delete m_handle;
}

bool Platform::ReadOnlyFile::isOpen() const
{
    return m_handle->fd >= 0;
}

bool Platform::ReadOnlyFile::openFailed() const
{
    return m_handle->openFailed;
}

qsizetype Platform::ReadOnlyFile::read(char* into, qsizetype size)
{
    for (;;) {
        const ssize_t n = ::read(m_handle->fd, into, size_t(size));
        if (n < 0 && errno == EINTR)
            continue;
        return qsizetype(n);
    }
}

QString Platform::userTag()
{
    return QString::number(::getuid());
}

bool Platform::isAdministrator()
{
    return ::geteuid() == 0;
}

bool Platform::makePrivateFolder(const QString& path)
{
    ::mkdir(nativeString(path).c_str(), 0700); // fails harmlessly when it exists
    return isPrivateFolder(path);
}

bool Platform::isPrivateFolder(const QString& path)
{
    const std::string native = nativeString(path);
    struct stat info;
    if (::lstat(native.c_str(), &info) != 0)
        return false;
    if (!S_ISDIR(info.st_mode) || info.st_uid != ::getuid())
        return false;
    if ((info.st_mode & 0077) != 0)
        return ::chmod(native.c_str(), 0700) == 0;
    return true;
}

QString Platform::makeUniqueFolder(const QString& prefix)
{
    std::string name = nativeString(prefix) + "XXXXXX";
    if (!::mkdtemp(name.data())) // created with mode 0700
        return QString();
    return QFile::decodeName(QByteArray(name.data(), qsizetype(name.size())));
}

namespace {

// Removes everything in the open folder fd; links are removed, never followed.
bool removeContents(int fd)
{
    const int listFd = ::dup(fd);
    DIR* dir = listFd >= 0 ? ::fdopendir(listFd) : nullptr;
    if (!dir) {
        if (listFd >= 0)
            ::close(listFd);
        return false;
    }
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    ::closedir(dir);
    bool ok = true;
    for (const std::string& name : names) {
        struct stat info;
        if (::fstatat(fd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
            ok = ok && errno == ENOENT;
            continue;
        }
        if (S_ISDIR(info.st_mode)) {
            // A copied read-only folder: its owner may open and empty it (a directory entry
            // that is no link, so the mode change reaches no other file).
            if ((info.st_mode & S_IRWXU) != S_IRWXU)
                ::fchmodat(fd, name.c_str(), (info.st_mode & 07777) | S_IRWXU, 0);
            const int sub =
                ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (sub < 0) {
                ok = false;
                continue;
            }
            ok = removeContents(sub) && ok;
            ::close(sub);
            ok = ::unlinkat(fd, name.c_str(), AT_REMOVEDIR) == 0 && ok;
        } else {
            ok = ::unlinkat(fd, name.c_str(), 0) == 0 && ok;
        }
    }
    return ok;
}

} // namespace

bool Platform::removeTree(const QString& path)
{
    const std::string native = nativeString(path);
    struct stat info;
    if (::lstat(native.c_str(), &info) != 0)
        return errno == ENOENT;
    if (!S_ISDIR(info.st_mode))
        return ::unlink(native.c_str()) == 0; // a file, or a link as itself
    const int fd = ::open(native.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0 && (info.st_mode & S_IRWXU) != S_IRWXU)
        ::fchmod(fd, (info.st_mode & 07777) | S_IRWXU); // a read-only folder of its owner
    if (fd < 0)
        return false;
    const bool emptied = removeContents(fd);
    ::close(fd);
    return ::rmdir(native.c_str()) == 0 && emptied;
}

QString Platform::privateRuntimeFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
}

bool Platform::needsPrivateSocketFolder()
{
    return true;
}

bool Platform::isPeerOfSameUser(qintptr socketDescriptor)
{
    struct ucred peer;
    socklen_t length = sizeof(peer);
    return socketDescriptor >= 0 &&
           ::getsockopt(int(socketDescriptor), SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 &&
           peer.uid == ::getuid();
}

namespace {

int terminationPipe[2] = {-1, -1};

void noteTermination(int)
{
    const char signalled = 1;
    [[maybe_unused]] const ssize_t written = ::write(terminationPipe[1], &signalled, 1);
}

} // namespace

void Platform::onTerminationRequest(QObject* context, std::function<void()> handler)
{
    // A signal handler may only write to a pipe; the event loop reads it and calls handler.
    if (terminationPipe[0] < 0 && ::pipe2(terminationPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    auto* notifier = new QSocketNotifier(terminationPipe[0], QSocketNotifier::Read, context);
    QObject::connect(notifier, &QSocketNotifier::activated, context,
                     [handler = std::move(handler)] {
                         char signalled[16];
                         while (::read(terminationPipe[0], signalled, sizeof(signalled)) > 0) {
                         }
                         handler();
                     });
    struct sigaction action = {};
    action.sa_handler = noteTermination;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signalNumber : {SIGTERM, SIGHUP, SIGINT})
        ::sigaction(signalNumber, &action, nullptr);
}

bool Platform::needsDisplayServer()
{
#ifdef Q_OS_MACOS
    return false;
#else
    return true;
#endif
}

QStringList Platform::editorCommand(const QString& document)
{
    for (const char* writer : {"lowriter", "libreoffice"}) {
        const QString program = QStandardPaths::findExecutable(QString::fromLatin1(writer));
        if (program.isEmpty())
            continue;
        if (program.endsWith(QStringLiteral("libreoffice")))
            return {program, QStringLiteral("--writer"), document};
        return {program, document};
    }
    return {};
}
