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
    bool revisited = false; // met before by the same walk, or a pseudo file system: not entered
};

namespace LibraryScan {

// Everything below dir, to full depth. Links to folders are followed, but each real folder
// (same device and inode) is entered once per scan, at the first place the scan meets it; the
// folders dir lies in count as met. A folder met again, or on a pseudo file system (/proc,
// /sys, /dev), is listed as a folder node that is not entered (revisited).
// onDocument, when given, is called with each document's path as soon as it is met, in the
// order of forEachDocument. When stop (if given) is set, the scan ends at the next entry.
// unreadable, when given, counts the folders that could not be read (wholly or in part).
std::vector<ScanNode> deep(const QString& dir,
                           const std::function<void(const QString&)>& onDocument = {},
                           const std::atomic<bool>* stop = nullptr, int* unreadable = nullptr);

// Removes the folders that hold no document, at any depth (a search keeps only the folders
// that lead to a found document).
void pruneEmptyFolders(std::vector<ScanNode>& nodes);

// Calls visit for every document below nodes, in scan order.
void forEachDocument(const std::vector<ScanNode>& nodes,
                     const std::function<void(const ScanNode&)>& visit);

} // namespace LibraryScan
