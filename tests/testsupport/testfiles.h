#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
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

// A little-endian UTF-16 page with its byte-order mark.
inline QByteArray utf16(const QString& text)
{
    return QByteArray("\xFF\xFE") +
           QByteArray(reinterpret_cast<const char*>(text.utf16()), 2 * text.size());
}

// The same page in each encoding a document may have: windows-1251, UTF-8 (declared), UTF-16.
inline QList<QByteArray> inEveryEncoding(const QString& page)
{
    return {cp1251(page), (QStringLiteral("<meta charset=utf-8>") + page).toUtf8(), utf16(page)};
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
