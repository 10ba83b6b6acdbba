#pragma once

#include "platform/platform.h"

#include <QDir>
#include <QString>
#include <QTemporaryDir>

// A temporary folder on a file system whose changes a folder watch is told of: the usual
// one, or memory (/dev/shm) where the usual one cannot be watched (an overlay in a
// container). Not valid when neither can.
inline QString watchableTemplate()
{
    const QString usual = QDir::tempPath();
    if (Platform::FolderWatch().add(usual))
        return usual + QStringLiteral("/lectoria-XXXXXX");
    if (Platform::FolderWatch().add(QStringLiteral("/dev/shm")))
        return QStringLiteral("/dev/shm/lectoria-XXXXXX");
    return QString();
}
