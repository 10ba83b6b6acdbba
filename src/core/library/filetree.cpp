#include "library/filetree.h"

#include "platform/messagereporter.h"
#include "platform/platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// The program names folders of the library by absolute paths only: an empty or relative
// one would act on wherever the program happens to run.
bool isNoPath(const QString& path)
{
    return path.isEmpty() || QDir::isRelativePath(path);
}

fs::path toFsPath(const QString& path)
{
    return Platform::toNative(path);
}

// What an entry is without following links.
fs::file_status entryStatus(const QString& path)
{
    std::error_code error;
    return fs::symlink_status(toFsPath(path), error);
}

bool isRealDirectory(const QString& path)
{
    return fs::is_directory(entryStatus(path));
}

// Adds the owner's write permission (and, for folders, search) without following links.
void makeWritable(const QString& path)
{
    const auto status = entryStatus(path);
    if (fs::is_symlink(status) || !fs::exists(status))
        return;
    auto wanted = fs::perms::owner_write;
    if (fs::is_directory(status))
        wanted |= fs::perms::owner_read | fs::perms::owner_exec;
    if ((status.permissions() & wanted) == wanted)
        return;
    std::error_code error;
    fs::permissions(toFsPath(path), wanted, fs::perm_options::add | fs::perm_options::nofollow,
                    error);
    if (error) // some platforms cannot change permissions without following
        fs::permissions(toFsPath(path), wanted, fs::perm_options::add, error);
}

template <typename Visit> void forEachEntry(const QString& dir, const QString& mask, Visit visit)
{
    // Names as the platform module keeps them: bytes that are no UTF-8 stay the same bytes.
    Platform::forEachEntry(dir, [&](const QString& name, bool) {
        return !FileTree::maskMatches(name, mask) || visit(name);
    });
}

} // namespace

bool FileTree::maskMatches(const QString& name, const QString& mask)
{
    if (mask == u"*.*" || mask == u"*")
        return true;
    const QRegularExpression pattern(QRegularExpression::wildcardToRegularExpression(mask),
                                     QRegularExpression::CaseInsensitiveOption);
    return pattern.match(name).hasMatch();
}

bool FileTree::isSameOrInside(const QString& path, const QString& dir)
{
    // Compared as the file system's own names: a name that is no UTF-8 has no UTF-16 form.
    const auto canonical = [](const QString& p) -> std::string {
        std::error_code error;
        const fs::path resolved = fs::weakly_canonical(toFsPath(p), error);
        if (error)
            return {};
        std::string text = resolved.generic_string();
        while (text.size() > 1 && text.back() == '/')
            text.pop_back();
        return text;
    };
    const std::string p = canonical(path);
    const std::string d = canonical(dir);
    if (p.empty() || d.empty())
        return false;
    const std::string prefix = d.back() == '/' ? d : d + '/';
    return p == d || p.compare(0, prefix.size(), prefix) == 0;
}

bool FileTree::isCopyIntoItself(const QString& src, const QString& dst)
{
    // The copy would be read again as part of its own source until the disk is full.
    return isSameOrInside(dst, src);
}

bool FileTree::deleteFiles(const QString& dir, const QString& mask) const
{
    if (isNoPath(dir))
        return false;
    forEachEntry(dir, mask, [&](const QString& name) {
        const QString path = dir + u'/' + name;
        if (!isRealDirectory(path))
            deleteFile(path);
        return true;
    });
    return true;
}

bool FileTree::makeDir(const QString& dir) const
{
    if (isRealDirectory(dir) || Platform::isFolder(dir))
        return true;
    std::error_code error;
    if (!dir.isEmpty() && fs::create_directory(toFsPath(dir), error) && !error)
        return true;
    MessageReporter::report(MessageReporter::ProgramCaption,
                            QStringLiteral("Ошибка при создании директории: ") + dir);
    return false;
}

bool FileTree::deleteDir(const QString& dir, const QString& mask) const
{
    if (isNoPath(dir))
        return false;
    const QString d = TextConversion::withTrailingSlash(dir);
    const QString dirPath = d.chopped(1);
    if (!isRealDirectory(dirPath)) {
        // A link named like a directory is removed as a link, never entered.
        return false;
    }
    if (mask == u"*.*" || mask == u"*") // everything: through folder descriptors, no link followed
        return Platform::removeTree(dirPath);
    makeWritable(dirPath);
    bool failed = false;
    forEachEntry(dirPath, mask, [&](const QString& name) {
        const QString path = d + name;
        makeWritable(path);
        const bool done = isRealDirectory(path) ? deleteDir(path, mask) : deleteFile(path);
        failed = !done;
        return done;
    });
    if (failed)
        return false;
    std::error_code error;
    return fs::remove(toFsPath(dirPath), error) && !error;
}

bool FileTree::copyDir(const QString& src, const QString& dst, const QString& mask) const
{
    if (isNoPath(src) || isNoPath(dst) || mask.isEmpty())
        return false;
    if (isCopyIntoItself(src, dst))
        return false;
    return copyDirEntries(src, dst, mask);
}

bool FileTree::copyDirEntries(const QString& src, const QString& dst, const QString& mask) const
{
    const QString s = TextConversion::withTrailingSlash(src);
    const QString d = TextConversion::withTrailingSlash(dst);
    std::error_code error;
    fs::create_directories(toFsPath(d), error);
    if (!Platform::isFolder(d))
        return false;
    bool foundAny = false;
    bool ok = true;
    forEachEntry(s.chopped(1), mask, [&](const QString& name) {
        if (m_stop && m_stop->load(std::memory_order_relaxed)) {
            ok = false;
            return false;
        }
        foundAny = true;
        const QString from = s + name;
        const QString to = d + name;
        const auto status = entryStatus(from);
        if (fs::is_symlink(status)) {
            std::error_code error;
            const fs::path target = fs::read_symlink(toFsPath(from), error);
            if (!error) {
                fs::remove(toFsPath(to), error);
                fs::create_symlink(target, toFsPath(to), error);
            }
            ok = !error;
        } else if (fs::is_directory(status)) {
            ok = makeDir(to) && copyDirEntries(from, to, mask);
        } else if (fs::is_regular_file(status)) {
            ok = (m_kept && m_kept->contains(to)) || copyFile(from, to, false);
        } // pipes, sockets and devices are not copied: reading them could block forever
        return ok;
    });
    return foundAny && ok;
}

bool FileTree::clearReadOnly(const QString& file) const
{
    std::error_code error;
    const auto status = fs::status(toFsPath(file), error);
    if (error || !fs::exists(status) || fs::is_directory(status))
        return false;
    fs::permissions(toFsPath(file), fs::perms::owner_write, fs::perm_options::add, error);
    return !error;
}

bool FileTree::copyFile(const QString& src, const QString& dst, bool failIfExists) const
{
    if (!Platform::isFile(src))
        return false;
    std::error_code error;
    if (fs::equivalent(toFsPath(src), toFsPath(dst), error)) {
        // Copying a file onto itself: removing the target first would lose it.
        return !failIfExists;
    }
    clearReadOnly(dst);
    if (fs::exists(entryStatus(dst))) {
        if (failIfExists || isRealDirectory(dst))
            return false;
        if (!fs::remove(toFsPath(dst), error) || error)
            return false;
    }
    if (!fs::copy_file(toFsPath(src), toFsPath(dst), error) || error)
        return false;
    clearReadOnly(dst);
    return true;
}

bool FileTree::deleteFile(const QString& file) const
{
    const auto status = entryStatus(file);
    if (!fs::exists(status) && !fs::is_symlink(status))
        return false;
    if (fs::is_directory(status))
        return false;
    if (!fs::is_symlink(status)) // never change the target of a link
        clearReadOnly(file);
    std::error_code error;
    return fs::remove(toFsPath(file), error) && !error;
}

bool FileTree::deleteWritableFile(const QString& file) const
{
    std::error_code error;
    const auto status = fs::status(toFsPath(file), error); // a link: what it points at
    if (error || !fs::is_regular_file(status) ||
        (status.permissions() & fs::perms::owner_write) == fs::perms::none)
        return false;
    return fs::remove(toFsPath(file), error) && !error; // a link goes, its target stays
}

bool FileTree::copyKeepingReadOnlyTarget(const QString& src, const QString& dst) const
{
    std::error_code error;
    if (fs::equivalent(toFsPath(src), toFsPath(dst), error))
        return true; // removing the target first would lose the file
    if (!Platform::isFile(src))
        return false;
    const auto existing = fs::status(toFsPath(dst), error);
    const bool replaceable =
        !fs::exists(existing) ||
        (!fs::is_directory(existing) &&
         (existing.permissions() & fs::perms::owner_write) != fs::perms::none &&
         fs::remove(toFsPath(dst), error));
    return replaceable && fs::copy_file(toFsPath(src), toFsPath(dst), error) && !error;
}
