#include "directorylisting.h"

#include "documentlayout.h"

#include <QFile>

#include <filesystem>
#include <system_error>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace fs = std::filesystem;

namespace {

fs::path toFsPath(const QString& path)
{
#ifdef Q_OS_WIN
    return fs::path(path.toStdWString());
#else
    return fs::path(QFile::encodeName(path).toStdString());
#endif
}

// The entry's name as text; empty when the bytes do not survive the way back to the disk.
QString entryName(const fs::directory_entry& entry)
{
#ifdef Q_OS_WIN
    return QString::fromStdWString(entry.path().filename().wstring());
#else
    const fs::path fileName = entry.path().filename();
    const std::string& native = fileName.native();
    const QByteArray bytes(native.data(), qsizetype(native.size()));
    const QString name = QFile::decodeName(bytes);
    return QFile::encodeName(name) == bytes ? name : QString();
#endif
}

// Calls visit(name, isFolder) for every entry in file-system order; visit returns false to stop.
template <typename Visit> void forEachEntry(const QString& dir, Visit visit)
{
    std::error_code error;
    fs::directory_iterator it(toFsPath(dir), fs::directory_options::skip_permission_denied, error);
    const fs::directory_iterator end;
    while (!error && it != end) {
        const QString name = entryName(*it);
        if (!name.isEmpty()) {
            std::error_code typeError;
            const bool isFolder = it->is_directory(typeError); // links to folders count
            if (!visit(name, isFolder && !typeError))
                return;
        }
        it.increment(error);
    }
}

} // namespace

DirectoryEntries DirectoryListing::list(const QString& dir)
{
    DirectoryEntries entries;
    if (dir.isEmpty())
        return entries;
    forEachEntry(dir, [&](const QString& name, bool isFolder) {
        if (DocumentLayout::isFolderPage(name))
            return true;
        if (isFolder && !DocumentLayout::isCompanionFolder(name))
            entries.folders.append(name);
        // A folder named like a document is listed as a document as well.
        if (DocumentLayout::isDocument(name))
            entries.documents.append(name);
        return true;
    });
    return entries;
}

bool DirectoryListing::hasVisibleEntry(const QString& dir)
{
    bool found = false;
    if (dir.isEmpty())
        return false;
    forEachEntry(dir, [&](const QString& name, bool) {
        found = !DocumentLayout::isFolderPage(name);
        return !found;
    });
    return found;
}

bool DirectoryListing::folderId(const QString& dir, FolderId* id)
{
#ifdef Q_OS_UNIX
    struct stat info;
    if (::stat(QFile::encodeName(dir).constData(), &info) != 0)
        return false;
    *id = FolderId{quint64(info.st_dev), quint64(info.st_ino)};
    return true;
#else
    std::error_code error;
    const auto canonical = fs::canonical(toFsPath(dir), error);
    if (error)
        return false;
    *id = FolderId{0, quint64(std::hash<std::wstring>{}(canonical.wstring()))};
    return true;
#endif
}
