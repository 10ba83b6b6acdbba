#include "library/documentcopy.h"

#include "library/documentlayout.h"
#include "library/filetree.h"
#include "platform/platform.h"
#include "text/textconversion.h"

#include <QDir>
#include <QFileInfo>

DocumentCopy DocumentCopy::plan(const QString& source, bool isFolder, const QString& targetFolder)
{
    const QString dest = TextConversion::withTrailingSlash(targetFolder);
    DocumentCopy copy;
    copy.m_folder = isFolder;
    copy.m_source = source;
    copy.m_target = dest + QFileInfo(source).fileName();
    copy.m_targetFolder = targetFolder;
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
    if (!companionName.isEmpty() && Platform::isFolder(companion) &&
        !FileTree::isCopyIntoItself(companion, companionTarget)) {
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

namespace {

// Every regular file below folder, with its path below it.
void filesBelow(const QString& folder, const QString& below, QStringList& out)
{
    Platform::forEachEntry(folder, [&](const QString& name, bool isFolder) {
        const QString path = folder + u'/' + name;
        const QString relative = below.isEmpty() ? name : below + u'/' + name;
        if (isFolder)
            filesBelow(path, relative, out);
        else if (Platform::isFile(path))
            out.append(relative);
        return true;
    });
}

} // namespace

QStringList DocumentCopy::existingTargets() const
{
    QStringList existing;
    const auto check = [&existing](const QString& sourceFolder, const QString& targetFolder) {
        QStringList files;
        filesBelow(sourceFolder, QString(), files);
        for (const QString& file : std::as_const(files)) {
            const QString target = targetFolder + u'/' + file;
            if (Platform::isFile(target))
                existing.append(target);
        }
    };
    if (m_folder) {
        check(m_source, m_target);
    } else {
        if (Platform::isFile(m_target) && !FileTree::isSameOrInside(m_source, m_target))
            existing.append(m_target);
        if (!m_pictures.isEmpty())
            check(m_pictures, m_picturesTarget);
    }
    return existing;
}

QString DocumentCopy::sourceOf(const QString& target) const
{
    if (target == m_target)
        return m_source;
    const auto below = [&target](const QString& folder) {
        return !folder.isEmpty() && target.startsWith(folder + u'/');
    };
    if (m_folder && below(m_target))
        return m_source + target.mid(m_target.size());
    if (below(m_picturesTarget))
        return m_pictures + target.mid(m_picturesTarget.size());
    return {};
}

int DocumentCopy::documentCount() const
{
    if (!m_folder)
        return m_kept.contains(m_target) ? 0 : 1;
    QStringList files;
    filesBelow(m_source, QString(), files);
    int documents = 0;
    for (const QString& file : std::as_const(files)) {
        // Documents of the library: no folder page, nothing of a picture folder.
        const QString name = file.section(u'/', -1);
        if (DocumentLayout::isDocument(name) && !DocumentLayout::isFolderPage(name) &&
            !file.contains(QStringLiteral(".files/")) && !m_kept.contains(m_target + u'/' + file))
            ++documents;
    }
    return documents;
}

int DocumentCopy::documentsWrittenSince(const QDateTime& start) const
{
    const auto written = [&start](const QString& target) {
        const QFileInfo file(target);
        return file.isFile() && file.metadataChangeTime() >= start;
    };
    if (!m_folder)
        return written(m_target) ? 1 : 0;
    QStringList files;
    filesBelow(m_source, QString(), files);
    int count = 0;
    for (const QString& file : std::as_const(files)) {
        const QString name = file.mid(file.lastIndexOf(u'/') + 1);
        if (DocumentLayout::isDocument(name) && !DocumentLayout::isFolderPage(name) &&
            !file.contains(QStringLiteral(".files/")) && written(m_target + u'/' + file))
            ++count;
    }
    return count;
}

bool DocumentCopy::run(const std::atomic<bool>* stop) const
{
    if (m_problem != Problem::None)
        return false;
    FileTree files;
    files.setStopFlag(stop);
    files.setKeptTargets(&m_kept);
    if (m_folder)
        return files.copyDir(m_source, m_target, QStringLiteral("*.*"));
    const bool copied =
        m_kept.contains(m_target) || files.copyKeepingReadOnlyTarget(m_source, m_target);
    if (m_pictures.isEmpty())
        return copied;
    if (m_picturesTargetFailed)
        return false;
    // The picture folder's result counts, as the copy of a document has always reported it.
    return files.copyDir(m_pictures, m_picturesTarget, QStringLiteral("*.*"));
}
