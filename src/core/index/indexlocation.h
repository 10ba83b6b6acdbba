#pragma once

#include <QString>

class DocumentIndex;

// Where the index of a library folder lives: the user's own in the cache
// ($XDG_CACHE_HOME/lectoria/, one file per folder named after its real path), a shared one in
// the folder itself (.lectoria/, numbered generations named by a pointer file).
namespace IndexLocation {

// The user's index folder: the user's cache folder of the program.
QString cacheFolder();
// The user's index file of a library folder.
QString cacheFile(const QString& folder);
// The folder of a library's shared index.
QString sharedFolder(const QString& folder);
// The pointer file that names the shared index in use.
QString sharedPointer(const QString& folder);
// The shared index the pointer names (a regular file of the index folder, no link); empty
// when there is none, or when the pointer names nothing usable.
QString sharedFile(const QString& folder);
// The real path of a folder (links resolved; the folder itself when it cannot be resolved),
// as the file system's bytes, percent-encoded: what names its cache file and what its index
// records as its folder.
QString realPath(const QString& folder);

// Whether the index in file (open) is the one of folder: a user's own index records its
// folder's real path, and one that records none is no index of it (a shared one lies in its
// folder and is not asked).
bool isIndexOf(DocumentIndex& index, const QString& folder, const QString& file);

} // namespace IndexLocation
