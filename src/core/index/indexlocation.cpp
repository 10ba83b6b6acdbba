#include "indexlocation.h"

#include "documentlayout.h"
#include "platform.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

namespace IndexLocation {

QString cacheFolder()
{
    QString base = qEnvironmentVariable("XDG_CACHE_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.cache");
    return base + QStringLiteral("/lectoria");
}

QString realPath(const QString& folder)
{
    const QString real = QFileInfo(folder).canonicalFilePath();
    return real.isEmpty() ? QDir::cleanPath(QFileInfo(folder).absoluteFilePath()) : real;
}

QString cacheFile(const QString& folder)
{
    // The real path, made one file name; a long one keeps its end and a digest of the whole.
    const QString real = realPath(folder);
    QString name =
        QString::fromLatin1(QUrl::toPercentEncoding(real, QByteArray(), "/.")).replace(u'/', u'_');
    if (name.size() > 180) {
        const QByteArray digest =
            QCryptographicHash::hash(real.toUtf8(), QCryptographicHash::Sha1).toHex();
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
    return Platform::isFile(path) ? path : QString();
}

} // namespace IndexLocation
