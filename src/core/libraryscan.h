#pragma once

#include <QString>

#include <atomic>
#include <functional>
#include <vector>

// A folder or document met by a scan to full depth.
struct ScanNode
{
    bool isFolder = false;
    QString caption;
    QString path;
    std::vector<ScanNode> children; // folders first, then documents, in directory order
    bool revisited = false;         // a folder already on the path: not entered again
};

namespace LibraryScan {

// Everything below dir, to full depth. Links to folders are followed, but a folder that is
// already on the current path (dir, the folders it lies in, and those entered on the way;
// same device and inode) is not entered again, so a link back to an ancestor cannot make the
// scan endless.
// onDocument, when given, is called with each document's path as soon as it is met, in the
// order of forEachDocument. When stop (if given) is set, the scan ends at the next entry.
std::vector<ScanNode> deep(const QString& dir,
                           const std::function<void(const QString&)>& onDocument = {},
                           const std::atomic<bool>* stop = nullptr);

// Removes the folders that hold no document, at any depth (a search keeps only the folders
// that lead to a found document).
void pruneEmptyFolders(std::vector<ScanNode>& nodes);

// Calls visit for every document below nodes, in scan order.
void forEachDocument(const std::vector<ScanNode>& nodes,
                     const std::function<void(const ScanNode&)>& visit);

} // namespace LibraryScan
