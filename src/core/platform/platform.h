#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

// What differs between the operating systems, in one place; CMake builds the module of the
// system at hand (platform_posix.cpp or platform_windows.cpp). Everything above it is the
// same code everywhere.
namespace Platform {

// The one conversion between a path as text and the file system's own form of it. On POSIX
// a name's bytes that are not UTF-8 (names copied from Windows are often windows-1251) are
// kept in the text as the characters U+DC80..U+DCFF, one per byte, and given back as the
// same bytes here.
std::filesystem::path toNative(const QString& path);
// The same as bytes (what an index keeps of a path), and back.
QByteArray toNativeBytes(const QString& path);
QString fromNativeBytes(QByteArrayView path);
// A path in such bytes joined of a folder's (empty: none) and a name's, into into (whose room
// is kept for the next).
inline void joinNative(QByteArray& into, const QByteArray& folder, QByteArrayView name)
{
    into.resize(0);
    into += folder;
    if (!folder.isEmpty())
        into += '/';
    into += name;
}
// A name as the user reads it: bytes kept as above are shown as windows-1251 text.
QString displayName(const QString& name);
// The address of a local file for the viewer (bytes kept as above stay the same bytes).
QUrl fileUrl(const QString& path);
// True when path is a regular file, or a folder (links followed).
bool isFile(const QString& path);
bool isFolder(const QString& path);
// Gives a file the permissions the user's new files get (a file the web engine writes is
// private to the user, whatever the user's usual mask says); false when it cannot.
bool applyUsualPermissions(const QString& path);
// What tells a changed file from the one seen before: which file it is (device and inode),
// its size, the times it was last written and last changed (the change time, which no tool
// can set back), in nanoseconds; for a link, also the link's own inode and change time. Two
// names swapped, a copy kept with its times, a link pointed elsewhere: each gives another
// stamp. A stamp of all zeros is no file's: it never equals one.
struct FileStamp
{
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modified = 0;
    qint64 changed = 0;
    quint64 linkInode = 0; // 0 when the path is no link
    qint64 linkChanged = 0;
    // Whether this user may read the file now, as its permission bits tell; not part of what
    // is compared.
    bool readable = false;

    bool operator==(const FileStamp& other) const
    {
        return device == other.device && inode == other.inode && size == other.size &&
               modified == other.modified && changed == other.changed &&
               linkInode == other.linkInode && linkChanged == other.linkChanged;
    }
    // The latest of its times.
    qint64 latest() const { return std::max({modified, changed, linkChanged}); }
    // A file written within one tick of its file system's clock (whole seconds on some, two
    // on FAT) of a reading may change again under the same stamp: only a stamp older than the
    // reading by this much proves that what was read is what the stamp stands for.
    static constexpr qint64 SettleTime = 2'000'000'000;
    bool isSettledAt(qint64 readAt) const { return latest() + SettleTime < readAt; }
    // The stamp as an index of a library keeps it: the device as 0 when it is the library
    // folder's own, whose number differs from one machine and mount to the next.
    FileStamp relativeTo(quint64 folderDevice) const
    {
        FileStamp kept = *this;
        if (kept.device == folderDevice)
            kept.device = 0;
        return kept;
    }
    // Compact bytes, as an index keeps it; fromBytes of anything else is the zero stamp.
    QByteArray toBytes() const;
    static FileStamp fromBytes(QByteArrayView bytes);
};
// False when path is no regular file (links followed) or cannot be looked at.
bool fileStamp(const QString& path, FileStamp* stamp);
// How many stamps this process has taken (by path or in a folder's listing): the work a
// freshness proof does, for tests and benchmarks.
quint64 stampsTaken();
// How many folders this process has listed, for the same.
quint64 folderListings();
// True when path ends with a separator of this system's paths (on POSIX only "/": a
// backslash is an ordinary character of a name there).
bool endsWithSeparator(const QString& path);

// A file name as text (see toNative); empty only when it cannot be told at all.
QString fromNativeName(const std::filesystem::path& name);

// A folder's identity on disk, to recognise a folder met again through a link.
struct FolderId
{
    quint64 device = 0;
    quint64 inode = 0;
    bool operator==(const FolderId&) const = default;
};
// The identity of a folder (links followed); false when it cannot be read.
bool folderId(const QString& dir, FolderId* id);
// True for the folders of the system's pseudo file systems (processes, devices, kernel
// objects): never documents, and walking them would take long or never end.
bool isPseudoFileSystem(const QString& dir);

// One entry of a folder being listed. Its stamp is taken relative to the open folder: no
// path is made or looked up again.
class FolderEntry
{
public:
    // nativeName: ends with a zero byte (not counted).
    FolderEntry(const QString& name, QByteArrayView nativeName, bool isFolder, bool isLink,
                int folderHandle, const QString& folder)
        : m_name(name), m_nativeName(nativeName), m_isFolder(isFolder), m_isLink(isLink),
          m_folderHandle(folderHandle), m_folder(folder)
    {
    }
    const QString& name() const { return m_name; }
    // The name in the file system's own bytes.
    QByteArrayView nativeName() const { return m_nativeName; }
    // Links to folders count as folders.
    bool isFolder() const { return m_isFolder; }
    // A symbolic link (to whatever it points to).
    bool isLink() const { return m_isLink; }
    // What fileStamp gives for the entry's path.
    bool stamp(FileStamp* stamp) const;

private:
    const QString& m_name;
    QByteArrayView m_nativeName;
    bool m_isFolder;
    bool m_isLink;
    int m_folderHandle;
    [[maybe_unused]] const QString& m_folder; // read by the Windows module only
};

// Takes anew the stamps of entries of a folder by their names (the file system's bytes),
// relative to the folder opened once: (*stamps)[i] is what fileStamp gives for names[i] (none
// where it gives false, or the name is empty). False when the folder cannot be opened or is
// no longer the one of id (replaced, or another file system mounted over it).
bool stampEntries(const QString& folder, const FolderId& id, const QList<QByteArray>& names,
                  std::vector<std::optional<FileStamp>>* stamps);

// Calls visit for every entry of dir in the order the file system lists them; visit returns
// false to stop. False when dir, or an entry of it, could not be read (a path too long, no
// permission, ...). opened, when given, is first called with the folder's identity, taken
// from the folder as opened (links followed): its entries are listed only when it returns
// true. It is not called when the folder cannot be opened or looked at.
bool forEachFolderEntry(const QString& dir, const std::function<bool(const FolderEntry&)>& visit,
                        const std::function<bool(const FolderId&)>& opened = {});
// The same, with each entry's name and whether it is a folder.
bool forEachEntry(const QString& dir, const std::function<bool(const QString&, bool)>& visit);

// Tells which watched folders changed: an entry added to them, removed or renamed, a file in
// them written or its attributes changed (inotify on Linux). Only folders on the file systems
// of this machine's own disks are watched: changes other machines make on a network file
// system are not reported.
class FolderWatch
{
public:
    FolderWatch();
    ~FolderWatch();
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    // False when the folder cannot be watched (a network or pseudo file system, a path too
    // long, no watch left, no watching on this system).
    bool add(const QString& folder);
    struct Changes
    {
        // Folders in which a file changed (added, removed, renamed, written, its attributes).
        QStringList folders;
        // A folder added, removed, renamed or its attributes changed, a watched folder gone,
        // or changes lost: anything may have changed.
        bool structure = false;
    };
    // What was reported since the last call, read without waiting.
    Changes take();
    // Readable when a change was reported; -1 when nothing is watched.
    int descriptor() const { return m_descriptor; }

private:
    int m_descriptor = -1;
    QHash<int, QString> m_folders;
};

// A regular file opened for reading. Only regular files are opened, and opening never
// waits: a pipe or a device named like a document would otherwise block its reader forever.
class ReadOnlyFile
{
public:
    explicit ReadOnlyFile(const QString& path);
    ~ReadOnlyFile();
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    bool isOpen() const;
    // True when the file could not be opened at all (not when it is no regular file).
    bool openFailed() const;
    // Up to size bytes; 0 at the end, -1 on an error.
    qsizetype read(char* into, qsizetype size);
    // size bytes, fewer only at the end of the file; -1 on an error.
    qsizetype readFull(char* into, qsizetype size)
    {
        qsizetype filled = 0;
        while (filled < size) {
            const qsizetype n = read(into + filled, size - filled);
            if (n < 0)
                return -1;
            if (n == 0)
                break;
            filled += n;
        }
        return filled;
    }
    // Appends the rest of the file to into, chunk bytes at a time; false on an error.
    bool readRest(QByteArray& into, qsizetype chunk = 256 * 1024)
    {
        for (;;) {
            const qsizetype held = into.size();
            into.resize(held + chunk);
            const qsizetype got = readFull(into.data() + held, chunk);
            into.resize(held + qMax<qsizetype>(got, 0));
            if (got < 0)
                return false;
            if (got < chunk)
                return true;
        }
    }

private:
    struct Handle;
    Handle* m_handle;
};

// The current user, as a tag for the names of per-user places.
QString userTag();
// True when the program runs with the rights of the system's administrator.
bool isAdministrator();

// True when path is a real folder (not a link) of the current user, private to it (a
// folder of the user's that others may enter is made private first).
bool isPrivateFolder(const QString& path);
// Creates path as a folder only its owner may use, when it is missing; then isPrivateFolder.
bool makePrivateFolder(const QString& path);

// Creates a new folder named prefix followed by six random characters, private to the user
// (as mkdtemp does: nobody else can have made it or put anything in it); its path, or empty.
QString makeUniqueFolder(const QString& prefix);
// Removes path with everything in it, never following a link (a link is removed, not what it
// points at); true when nothing of it is left.
bool removeTree(const QString& path);

// The user's private folder for the instance socket; empty when the system has none (the
// socket then lives in the system's own namespace).
QString privateRuntimeFolder();

// True where a local socket's name lies in a folder (POSIX), so that only a private folder
// keeps other users from taking it.
bool needsPrivateSocketFolder();
// True when the program at the other end of the connected local socket runs as this user.
bool isPeerOfSameUser(qintptr socketDescriptor);

// Calls handler on context's thread when the system asks the program to end (SIGTERM,
// SIGHUP, SIGINT on POSIX), so that it closes as if its user had closed it.
void onTerminationRequest(QObject* context, std::function<void()> handler);

// True where windows need a display server that may be missing (X11, Wayland).
bool needsDisplayServer();

// The word processor a document is opened in, with its arguments; empty to leave it to the
// desktop's default application.
QStringList editorCommand(const QString& document);

} // namespace Platform
