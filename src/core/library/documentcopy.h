#pragma once

#include <QDateTime>
#include <QSet>
#include <QString>
#include <QStringList>

#include <atomic>

// The copy of a folder, or of a document with its picture folder, into a target folder. It is
// planned on the window's thread (target folders made, the copy of a folder into itself
// refused) and run on any thread, where it may be stopped; what is copied by then stays.
class DocumentCopy
{
public:
    enum class Problem
    {
        None,
        // A folder into itself or one of its own folders: the copy would never end.
        IntoItself,
        // The target folder could not be made; problemPath() names it.
        TargetNotMade
    };

    // source: a folder (isFolder) or a document; targetFolder: where its copy goes.
    static DocumentCopy plan(const QString& source, bool isFolder, const QString& targetFolder);

    // A problem that stops the copy; a document whose picture folder's target could not be
    // made is still copied, and its copy reports the failure.
    Problem problem() const { return m_problem; }
    // The target path that the problem concerns.
    QString problemPath() const { return m_problemPath; }
    QString source() const { return m_source; }
    QString target() const { return m_target; }

    // The files already in the target folders that the copy would replace, in order.
    QStringList existingTargets() const;
    // The file a target of the copy is copied from.
    QString sourceOf(const QString& target) const;
    // Files of existingTargets the copy leaves as they are.
    void setKept(const QSet<QString>& kept) { m_kept = kept; }
    // The documents the copy writes (those kept left out).
    int documentCount() const;
    // The folder the copy goes into.
    QString targetFolder() const { return m_targetFolder; }

    // The documents of the copy written since start (a stopped copy tells what it copied):
    // those whose target's change time is not older.
    int documentsWrittenSince(const QDateTime& start) const;
    // Copies; false when something could not be copied or the stop flag was set.
    bool run(const std::atomic<bool>* stop = nullptr) const;

private:
    bool m_folder = false;
    QString m_source;
    QString m_target;
    QString m_pictures; // a document's picture folder, when it is to be copied too
    QString m_picturesTarget;
    bool m_picturesTargetFailed = false;
    QString m_targetFolder;
    QSet<QString> m_kept;
    Problem m_problem = Problem::None;
    QString m_problemPath;
};
