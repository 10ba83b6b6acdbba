#include "documentcopy.h"

#include "documentlayout.h"
#include "filetree.h"
#include "platform.h"
#include "textconversion.h"

#include <QDir>
#include <QFileInfo>

DocumentCopy DocumentCopy::plan(const QString& source, bool isFolder, const QString& targetFolder)
{
    const QString dest = TextConversion::withTrailingSlash(targetFolder);
    DocumentCopy copy;
    copy.m_folder = isFolder;
    copy.m_source = source;
    copy.m_target = dest + QFileInfo(source).fileName();
    if (isFolder) {
        if (FileTree::isCopyIntoItself(source, copy.m_target)) {
            copy.m_problem = Problem::IntoItself;
            copy.m_problemPath = copy.m_target;
        } else if (!QDir().mkpath(copy.m_target)) {
            copy.m_problem = Problem::TargetNotMade;
            copy.m_problemPath = copy.m_target;
        }
        return copy;
    }
    QDir().mkpath(dest);
    const QFileInfo document(source);
    const QString companionName = DocumentLayout::companionFolderName(document.fileName());
    const QString companion = DocumentLayout::joinPath(document.path(), companionName);
    const QString companionTarget = dest + companionName;
    // A picture folder already in place (a copy onto itself) is left as it is.
    if (Platform::isFolder(companion) && !FileTree::isCopyIntoItself(companion, companionTarget)) {
        copy.m_pictures = companion;
        copy.m_picturesTarget = companionTarget;
        if (!QDir().mkpath(companionTarget)) {
            // The document is copied all the same; the copy reports the failure.
            copy.m_picturesTargetFailed = true;
            copy.m_problemPath = companionTarget;
        }
    }
    return copy;
}

bool DocumentCopy::run(const std::atomic<bool>* stop) const
{
    if (m_problem != Problem::None)
        return false;
    FileTree files;
    files.setStopFlag(stop);
    if (m_folder)
        return files.copyDir(m_source, m_target, QStringLiteral("*.*"));
    const bool copied = files.copyKeepingReadOnlyTarget(m_source, m_target);
    if (m_pictures.isEmpty())
        return copied;
    if (m_picturesTargetFailed)
        return false;
    // The picture folder's result counts, as the copy of a document has always reported it.
    return files.copyDir(m_pictures, m_picturesTarget, QStringLiteral("*.*"));
}
