#include "library/documentlayout.h"

#include "platform/platform.h"

#include <QDirIterator>
#include <QFileInfo>

namespace {
const QString documentExtension = QStringLiteral(".htm");
const QString pdfExtension = QStringLiteral(".pdf");

bool hasExtension(const QString& name, const QString& extension)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot >= 0 && QStringView(name).mid(dot).compare(extension, Qt::CaseInsensitive) == 0;
}
} // namespace

bool DocumentLayout::isFolderPage(const QString& name)
{
    return name.compare(QStringLiteral("_index.htm"), Qt::CaseInsensitive) == 0;
}

bool DocumentLayout::isIndexFolder(const QString& name)
{
    return name == u".lectoria";
}

bool DocumentLayout::isCompanionFolder(const QString& name)
{
    return name.contains(QStringLiteral(".files"), Qt::CaseSensitive);
}

bool DocumentLayout::isDocument(const QString& name)
{
    return hasExtension(name, documentExtension) || hasExtension(name, pdfExtension);
}

bool DocumentLayout::isPdfDocument(const QString& name)
{
    return hasExtension(name, pdfExtension);
}

QString DocumentLayout::documentCaption(const QString& name)
{
    if (isPdfDocument(name))
        return Platform::displayName(name.left(name.size() - pdfExtension.size()));
    const qsizetype at = name.indexOf(documentExtension, 0, Qt::CaseInsensitive);
    return Platform::displayName(at < 0 ? name : name.left(at));
}

QString DocumentLayout::folderPagePath(const QString& folder)
{
    if (folder.isEmpty())
        return {};
    const QString exact = joinPath(folder, QStringLiteral("_index.htm"));
    if (Platform::isFile(exact))
        return exact;
    // Another letter case of the same name (a library copied from a Windows disk).
    QString page;
    Platform::forEachEntry(folder, [&](const QString& name, bool isFolder) {
        if (!isFolder && isFolderPage(name) && Platform::isFile(joinPath(folder, name)))
            page = joinPath(folder, name);
        return page.isEmpty();
    });
    return page;
}

QString DocumentLayout::companionFolderName(const QString& documentName)
{
    if (isPdfDocument(documentName))
        return {};
    const qsizetype dot = documentName.lastIndexOf(u'.');
    return (dot < 0 ? documentName : documentName.left(dot)) + QStringLiteral(".files");
}

QString DocumentLayout::joinPath(const QString& dir, const QString& name)
{
    if (Platform::endsWithSeparator(dir)) // a backslash is part of a name on POSIX
        return dir + name;
    return dir + u'/' + name;
}
