#include "platform/platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStandardPaths>

#include <atomic>
#include <system_error>

namespace fs = std::filesystem;

std::filesystem::path Platform::toNative(const QString& path)
{
    return fs::path(path.toStdWString());
}

QByteArray Platform::toNativeBytes(const QString& path)
{
    // UTF-8: every name has it (the system's code page would not hold every name).
    return path.toUtf8();
}

QString Platform::fromNativeBytes(QByteArrayView path)
{
    return QString::fromUtf8(path);
}

QString Platform::displayName(const QString& name)
{
    return name;
}

QUrl Platform::fileUrl(const QString& path)
{
    return QUrl::fromLocalFile(path);
}

bool Platform::isFile(const QString& path)
{
    return QFileInfo(path).isFile();
}

bool Platform::applyUsualPermissions(const QString&)
{
    return true; // files take their folder's permissions there
}

bool Platform::isFolder(const QString& path)
{
    return QFileInfo(path).isDir();
}

bool Platform::endsWithSeparator(const QString& path)
{
    return path.endsWith(u'/') || path.endsWith(u'\\');
}

QString Platform::fromNativeName(const std::filesystem::path& name)
{
    return QString::fromStdWString(name.wstring());
}

bool Platform::folderId(const QString& dir, FolderId* id)
{
    // No inode numbers to hand: the canonical path stands for the folder.
    std::error_code error;
    const fs::path canonical = fs::canonical(toNative(dir), error);
    if (error || !fs::is_directory(canonical, error))
        return false;
    *id = FolderId{0, quint64(std::hash<std::wstring>{}(canonical.wstring()))};
    return true;
}

bool Platform::isPseudoFileSystem(const QString&)
{
    return false;
}

bool Platform::forEachFolderEntry(const QString& dir,
                                  const std::function<bool(const FolderEntry&)>& visit,
                                  const std::function<bool(const FolderId&)>& opened)
{
    FolderId id;
    if (opened && folderId(dir, &id) && !opened(id))
        return true; // not to be listed
    std::error_code error;
    fs::directory_iterator it(toNative(dir), error);
    const fs::directory_iterator end;
    const bool opened = !error;
    while (!error && it != end) {
        const QString name = fromNativeName(it->path().filename());
        const QByteArray native = toNativeBytes(name); // ends with a zero, as a QByteArray does
        std::error_code typeError;
        const bool isFolder = it->is_directory(typeError);
        std::error_code linkError;
        const bool isLink = it->is_symlink(linkError);
        if (!name.isEmpty() && !visit(FolderEntry(name, native, isFolder && !typeError,
                                                  isLink && !linkError, -1, dir)))
            return true;
        it.increment(error);
    }
    return opened && !error;
}

bool Platform::forEachEntry(const QString& dir,
                            const std::function<bool(const QString&, bool)>& visit)
{
    return forEachFolderEntry(
        dir, [&visit](const FolderEntry& entry) { return visit(entry.name(), entry.isFolder()); });
}

bool Platform::FolderEntry::stamp(FileStamp* stamp) const
{
    // No descriptors of folders here: the entry is looked at by its path.
    return fileStamp(m_folder + u'/' + m_name, stamp);
}

bool Platform::stampEntries(const QString& folder, const FolderId& id,
                            const QList<QByteArray>& names,
                            std::vector<std::optional<FileStamp>>* stamps)
{
    FolderId now;
    if (!folderId(folder, &now) || !(now == id))
        return false;
    stamps->assign(size_t(names.size()), std::nullopt);
    for (qsizetype i = 0; i < names.size(); ++i) {
        FileStamp stamp;
        if (!names.at(i).isEmpty() &&
            fileStamp(folder + u'/' + QString::fromUtf8(names.at(i)), &stamp))
            (*stamps)[size_t(i)] = stamp;
    }
    return true;
}

quint64 Platform::folderListings()
{
    return 0; // not counted here
}

// No watching here: every search walks the library.
Platform::FolderWatch::FolderWatch() = default;
Platform::FolderWatch::~FolderWatch() = default;

bool Platform::FolderWatch::add(const QString&)
{
    return false;
}

Platform::FolderWatch::Changes Platform::FolderWatch::take()
{
    return Changes();
}

struct Platform::ReadOnlyFile::Handle
{
    QFile file;
};

Platform::ReadOnlyFile::ReadOnlyFile(const QString& path) : m_handle(new Handle)
{
    if (QFileInfo(path).isFile()) {
        m_handle->file.setFileName(path);
        m_handle->file.open(QIODevice::ReadOnly);
    }
}

Platform::ReadOnlyFile::~ReadOnlyFile()
{
    delete m_handle;
}

bool Platform::ReadOnlyFile::isOpen() const
{
    return m_handle->file.isOpen();
}

bool Platform::ReadOnlyFile::openFailed() const
{
    return !m_handle->file.isOpen() && !QFileInfo(m_handle->file.fileName()).isDir();
}

qsizetype Platform::ReadOnlyFile::read(char* into, qsizetype size)
{
    return qsizetype(m_handle->file.read(into, size));
}

QString Platform::userTag()
{
    return qEnvironmentVariable("USERNAME");
}

bool Platform::isAdministrator()
{
    return false; // the browser's sandbox works for administrators here
}

bool Platform::isPrivateFolder(const QString& path)
{
    // The user's own temporary folder is private to the user already.
    const QFileInfo info(path);
    return info.isDir() && !info.isSymLink();
}

bool Platform::makePrivateFolder(const QString& path)
{
    QDir().mkpath(path);
    return isPrivateFolder(path);
}

QString Platform::makeUniqueFolder(const QString& prefix)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString path =
            prefix +
            QString::number(QRandomGenerator::global()->bounded(1000000)).rightJustified(6, u'0');
        if (QDir().mkdir(path))
            return path;
    }
    return QString();
}

bool Platform::removeTree(const QString& path)
{
    std::error_code error;
    fs::remove_all(toNative(path), error); // junctions and links are removed, not followed
    return !error;
}

QString Platform::privateRuntimeFolder()
{
    return QString();
}

bool Platform::needsPrivateSocketFolder()
{
    return false; // named pipes here are made for the current user only
}

bool Platform::isPeerOfSameUser(qintptr)
{
    return true;
}

void Platform::onTerminationRequest(QObject*, std::function<void()>)
{
    // The end of the session reaches the windows as a close there.
}

bool Platform::needsDisplayServer()
{
    return false;
}

QStringList Platform::editorCommand(const QString& document)
{
    return {QStringLiteral("winword"), QDir::toNativeSeparators(document)};
}

namespace {
std::atomic<quint64> stampCount{0};
}

quint64 Platform::stampsTaken()
{
    return stampCount.load(std::memory_order_relaxed);
}

bool Platform::fileStamp(const QString& path, FileStamp* stamp)
{
    stampCount.fetch_add(1, std::memory_order_relaxed);
    std::error_code error;
    const auto native = toNative(path);
    if (!std::filesystem::is_regular_file(native, error))
        return false;
    const auto size = std::filesystem::file_size(native, error);
    if (error)
        return false;
    const auto written = std::filesystem::last_write_time(native, error);
    if (error)
        return false;
    *stamp = FileStamp{};
    stamp->size = qint64(size);
    stamp->modified = qint64(
        std::chrono::duration_cast<std::chrono::nanoseconds>(written.time_since_epoch()).count());
    // No inode or change time here: the index of a Windows library trusts size and time.
    stamp->inode = 1;
    stamp->changed = stamp->modified;
    stamp->readable = true;
    return true;
}
