#include "platform.h"

#include <QFile>
#include <QStandardPaths>

#include <cerrno>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

std::filesystem::path Platform::toNative(const QString& path)
{
    return fs::path(QFile::encodeName(path).toStdString());
}

QString Platform::fromNativeName(const std::filesystem::path& name)
{
    const std::string& native = name.native();
    const QByteArray bytes(native.data(), qsizetype(native.size()));
    const QString text = QFile::decodeName(bytes);
    return QFile::encodeName(text) == bytes ? text : QString();
}

bool Platform::folderId(const QString& dir, FolderId* id)
{
    struct stat info;
    if (::stat(toNative(dir).c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return false;
    *id = FolderId{quint64(info.st_dev), quint64(info.st_ino)};
    return true;
}

void Platform::forEachEntry(const QString& dir,
                            const std::function<bool(const QString&, bool)>& visit)
{
    std::error_code error;
    fs::directory_iterator it(toNative(dir), fs::directory_options::skip_permission_denied, error);
    const fs::directory_iterator end;
    while (!error && it != end) {
        const QString name = fromNativeName(it->path().filename());
        if (!name.isEmpty()) {
            std::error_code typeError;
            const bool isFolder = it->is_directory(typeError); // links to folders count
            if (!visit(name, isFolder && !typeError))
                return;
        }
        it.increment(error);
    }
}

struct Platform::ReadOnlyFile::Handle
{
    int fd = -1;
};

Platform::ReadOnlyFile::ReadOnlyFile(const QString& path) : m_handle(new Handle)
{
    m_handle->fd = ::open(toNative(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
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
    ::mkdir(toNative(path).c_str(), 0700); // fails harmlessly when it exists
    return isPrivateFolder(path);
}

bool Platform::isPrivateFolder(const QString& path)
{
    const std::string native = toNative(path).native();
    struct stat info;
    if (::lstat(native.c_str(), &info) != 0)
        return false;
    if (!S_ISDIR(info.st_mode) || info.st_uid != ::getuid())
        return false;
    if ((info.st_mode & 0077) != 0)
        return ::chmod(native.c_str(), 0700) == 0;
    return true;
}

QString Platform::privateRuntimeFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
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
