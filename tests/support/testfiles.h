#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringEncoder>

// Small helpers for tests that work on real files.
namespace TestFiles {

inline bool write(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(bytes) == bytes.size();
}

// Text as the library's documents store it.
inline QByteArray cp1251(const QString& text)
{
    return QStringEncoder("windows-1251").encode(text);
}

inline QByteArray read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool setReadOnly(const QString& path)
{
    return QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup |
                                           QFileDevice::ReadOther);
}

inline bool isWritableByOwner(const QString& path)
{
    return QFileInfo(path).permissions() & QFileDevice::WriteOwner;
}

} // namespace TestFiles
