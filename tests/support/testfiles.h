#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringEncoder>
#include <QStringList>

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

// Writes each relative path below dir with its own path as content ("X/" makes a folder).
inline bool writeTree(const QString& dir, const QStringList& paths)
{
    for (const QString& relative : paths) {
        const QString path = dir + u'/' + relative;
        const bool ok =
            relative.endsWith(u'/') ? QDir().mkpath(path) : write(path, relative.toUtf8());
        if (!ok)
            return false;
    }
    return true;
}

} // namespace TestFiles
