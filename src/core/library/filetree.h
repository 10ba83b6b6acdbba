#pragma once

#include "text/textconversion.h"

#include <QSet>
#include <QString>

#include <atomic>

// Operations on files and whole directory trees. Failures come back as results; only
// makeDir reports a message. Links are never followed into: a link to a folder is removed
// or copied as a link.
class FileTree
{
public:
    // When given and set (from any thread), a copy ends at its next entry and reports false;
    // what is copied by then stays.
    void setStopFlag(const std::atomic<bool>* stop) { m_stop = stop; }
    // When given, a copy leaves these target files as they are (the user chose to keep them).
    void setKeptTargets(const QSet<QString>* kept) { m_kept = kept; }

    // Deletes the files of dir that match mask; folders and their contents stay.
    bool deleteFiles(const QString& dir, const QString& mask) const;
    // Creates one directory level; true when it exists afterwards.
    bool makeDir(const QString& dir) const;
    // Deletes everything in dir that matches mask, then dir itself.
    bool deleteDir(const QString& dir, const QString& mask) const;
    // Copies the entries of src that match mask into dst (created with its parents).
    // Refuses a dst that is src or lies inside it.
    bool copyDir(const QString& src, const QString& dst, const QString& mask) const;
    // Makes an existing file writable for its owner; false when there is no such file.
    bool clearReadOnly(const QString& file) const;
    bool copyFile(const QString& src, const QString& dst, bool failIfExists) const;
    bool deleteFile(const QString& file) const;
    // Deletes a file its owner may write; a read-only file stays, as a plain deletion leaves it
    // on the platform the library was made for. A link is removed, never its target.
    bool deleteWritableFile(const QString& file) const;
    // Copies src to dst with src's permissions. An existing read-only dst (or a folder) is not
    // replaced; a dst that is src itself counts as copied and is left as it is.
    bool copyKeepingReadOnlyTarget(const QString& src, const QString& dst) const;

    // True when name matches a Windows-style mask ("*.*" matches every name).
    static bool maskMatches(const QString& name, const QString& mask);
    // True when path is dir itself or lies below it (links resolved).
    static bool isSameOrInside(const QString& path, const QString& dir);
    // True when dst is src or lies inside it: copying src there would never end.
    static bool isCopyIntoItself(const QString& src, const QString& dst);

private:
    const std::atomic<bool>* m_stop = nullptr;
    const QSet<QString>* m_kept = nullptr;
    bool copyDirEntries(const QString& src, const QString& dst, const QString& mask) const;
};
