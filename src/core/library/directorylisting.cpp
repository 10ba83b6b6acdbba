#include "library/directorylisting.h"

#include "library/documentlayout.h"

#include "platform/platform.h"

DirectoryEntries DirectoryListing::list(const QString& dir, bool withStamps,
                                        const std::function<bool(const FolderId&)>& opened)
{
    DirectoryEntries entries;
    if (dir.isEmpty())
        return entries;
    entries.complete = Platform::forEachFolderEntry(
        dir,
        [&](const Platform::FolderEntry& entry) {
            const QString& name = entry.name();
            const bool isFolder = entry.isFolder();
            if (DocumentLayout::isFolderPage(name) ||
                (isFolder && DocumentLayout::isIndexFolder(name)))
                return true;
            if (isFolder && !DocumentLayout::isCompanionFolder(name)) {
                entries.folders.append(name);
                entries.folderLinks = entries.folderLinks || entry.isLink();
            }
            // A folder named like a document is listed as a document as well.
            if (DocumentLayout::isDocument(name)) {
                entries.documents.append(name);
                if (withStamps) {
                    DirectoryEntries::Stamp& stamp = entries.documentStamps.emplace_back();
                    stamp.stamped = !isFolder && entry.stamp(&stamp.stamp);
                    stamp.nativeBegin = entries.nativeNames.size();
                    entries.nativeNames += entry.nativeName();
                    stamp.nativeEnd = entries.nativeNames.size();
                }
            }
            return true;
        },
        opened);
    return entries;
}

bool DirectoryListing::hasVisibleEntry(const QString& dir)
{
    bool found = false;
    if (dir.isEmpty())
        return false;
    Platform::forEachEntry(dir, [&](const QString& name, bool isFolder) {
        found = !DocumentLayout::isFolderPage(name) &&
                !(isFolder && DocumentLayout::isIndexFolder(name));
        return !found;
    });
    return found;
}

bool DirectoryListing::folderId(const QString& dir, FolderId* id)
{
    return Platform::folderId(dir, id);
}
