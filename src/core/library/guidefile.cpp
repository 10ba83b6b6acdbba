#include "library/guidefile.h"

#include "platform/platform.h"

#include <QFileInfo>

std::optional<QByteArray> GuideFile::read(const QString& folder, const QString& path,
                                          qsizetype limit)
{
    const QString root = QFileInfo(folder).canonicalFilePath();
    const QString file = QFileInfo(path).canonicalFilePath();
    if (root.isEmpty() || file.isEmpty() || !file.startsWith(root + u'/'))
        return std::nullopt;
    // Opened without waiting, and read only when it is a regular file.
    Platform::ReadOnlyFile source(file);
    if (!source.isOpen())
        return std::nullopt;
    QByteArray bytes(limit + 1, Qt::Uninitialized);
    const qsizetype read = source.readFull(bytes.data(), bytes.size());
    if (read < 0 || read > limit)
        return std::nullopt;
    bytes.resize(read);
    return bytes;
}
