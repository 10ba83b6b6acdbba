#pragma once

#include "platform/platform.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

// One directory as the tree shows it: its folders, then its documents, each in the order
// the file system lists them. Folder pages and picture folders are left out. Names that
// cannot be represented as text (invalid in the file system's encoding) are skipped.
struct DirectoryEntries
{
    QStringList folders;
    QStringList documents;
    bool complete = true;     // false when the folder, or an entry of it, could not be read
    bool folderLinks = false; // a folder of it is a link
    // Listed with stamps: each document's name in the file system's bytes (one block for
    // the folder) and its stamp, taken as the folder is read (stamped false: no regular file
    // one can look at now).
    struct Stamp
    {
        Platform::FileStamp stamp;
        bool stamped = false;
        qsizetype nativeBegin = 0;
        qsizetype nativeEnd = 0;
    };
    QList<Stamp> documentStamps; // empty when listed without stamps
    QByteArray nativeNames;
    QByteArrayView nativeName(const Stamp& stamp) const
    {
        return QByteArrayView(nativeNames)
            .sliced(stamp.nativeBegin, stamp.nativeEnd - stamp.nativeBegin);
    }
};

using FolderId = Platform::FolderId;

namespace DirectoryListing {

// A directory that cannot be read gives no entries. withStamps: the documents' stamps are
// taken as well, relative to the open folder. opened: as Platform::forEachFolderEntry.
DirectoryEntries list(const QString& dir, bool withStamps = false,
                      const std::function<bool(const FolderId&)>& opened = {});
// True when dir holds any entry but its folder page (any file or folder counts).
bool hasVisibleEntry(const QString& dir);
// The identity of a folder (links followed); false when it cannot be read.
bool folderId(const QString& dir, FolderId* id);

} // namespace DirectoryListing
