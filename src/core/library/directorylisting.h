#pragma once

#include "platform.h"

#include <QString>
#include <QStringList>

#include <vector>

// One directory as the tree shows it: its folders, then its documents, each in the order
// the file system lists them. Folder pages and picture folders are left out. Names that
// cannot be represented as text (invalid in the file system's encoding) are skipped.
struct DirectoryEntries
{
    QStringList folders;
    QStringList documents;
    bool complete = true; // false when the folder, or an entry of it, could not be read
};

using FolderId = Platform::FolderId;

namespace DirectoryListing {

// A directory that cannot be read gives no entries.
DirectoryEntries list(const QString& dir);
// True when dir holds any entry but its folder page (any file or folder counts).
bool hasVisibleEntry(const QString& dir);
// The identity of a folder (links followed); false when it cannot be read.
bool folderId(const QString& dir, FolderId* id);

} // namespace DirectoryListing
