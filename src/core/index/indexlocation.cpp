#include "index/indexlocation.h"

#include "index/documentindex.h"
#include "library/documentlayout.h"
#include "platform/platform.h"
#include "platform/userfolders.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

namespace IndexLocation {

QString cacheFolder()
{
    return UserFolders::cache();
}

QString realPath(const QString& folder)
{
    // The file system's own bytes of the path (a name in windows-1251 stays those bytes),
    // percent-encoded ("_" too, which stands for "/" in the cache file's name): two folders
    // never share it.
    const std::filesystem::path native = Platform::toNative(folder);
    std::error_code error;
    std::filesystem::path real = std::filesystem::canonical(native, error);
    if (error)
        real = std::filesystem::absolute(native, error).lexically_normal();
    std::string bytes = real.string();
    if (bytes.size() > 1 && bytes.back() == '/')
        bytes.pop_back();
    return QString::fromLatin1(
        QByteArray(bytes.data(), qsizetype(bytes.size())).toPercentEncoding("/", "_"));
}

QString cacheFile(const QString& folder)
{
    // The real path, made one file name; a long one keeps its end and a digest of the whole.
    const QString real = realPath(folder);
    QString name = QString(real).replace(u'/', u'_');
    if (name.size() > 180) {
        const QByteArray digest =
            QCryptographicHash::hash(real.toLatin1(), QCryptographicHash::Sha1).toHex();
        name = name.right(120) + u'-' + QString::fromLatin1(digest);
    }
    return cacheFolder() + u'/' + name + QStringLiteral(".index");
}

QString sharedFolder(const QString& folder)
{
    return DocumentLayout::joinPath(folder, QStringLiteral(".lectoria"));
}

QString sharedPointer(const QString& folder)
{
    return sharedFolder(folder) + QStringLiteral("/current");
}

QString sharedFile(const QString& folder)
{
    Platform::ReadOnlyFile pointer(sharedPointer(folder));
    if (!pointer.isOpen())
        return QString();
    QByteArray name(256, '\0');
    const qsizetype got = pointer.readFull(name.data(), name.size());
    if (got <= 0)
        return QString();
    name.truncate(got);
    const QString file = QString::fromUtf8(name.trimmed());
    // Only a file of the index folder itself.
    if (file.isEmpty() || file.contains(u'/') || file.contains(u'\\') || file.startsWith(u'.'))
        return QString();
    const QString path = sharedFolder(folder) + u'/' + file;
    // A link there is not followed out of the index folder.
    return Platform::isFile(path) && !QFileInfo(path).isSymLink() ? path : QString();
}

bool isIndexOf(DocumentIndex& index, const QString& folder, const QString& file)
{
    if (file != cacheFile(folder))
        return true;
    return index.note(QStringLiteral("folder")) == realPath(folder);
}

} // namespace IndexLocation
