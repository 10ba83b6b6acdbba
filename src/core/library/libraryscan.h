#pragma once

#include "platform/platform.h"

#include <QByteArrayView>
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

// A document as a scan meets it.
class ScannedDocument
{
public:
    ScannedDocument(const QString& path, QByteArrayView nativeBelowRoot, bool stampTaken,
                    const Platform::FileStamp* stamp)
        : m_path(&path), m_nativeBelowRoot(nativeBelowRoot), m_stampTaken(stampTaken),
          m_stamp(stamp)
    {
    }
    // The document named name in folder: its path is made only when asked for (most documents
    // an index settles never need it).
    ScannedDocument(const QString& folder, const QString& name, QByteArrayView nativeBelowRoot,
                    bool stampTaken, const Platform::FileStamp* stamp)
        : m_folder(&folder), m_name(&name), m_nativeBelowRoot(nativeBelowRoot),
          m_stampTaken(stampTaken), m_stamp(stamp)
    {
    }
    const QString& path() const;
    // Its path below the scanned folder in the file system's bytes, as an index keeps it
    // (given only when the scan may take stamps).
    QByteArrayView nativeBelowRoot() const { return m_nativeBelowRoot; }
    // Whether the scan took the stamps of the documents as it listed their folders; stamp()
    // is then the document's, or null when it is no regular file one can look at now.
    bool isStampTaken() const { return m_stampTaken; }
    const Platform::FileStamp* stamp() const { return m_stamp; }
    // A reader that has settled the document as one it leaves out (not found) says so: the
    // scan then makes no node for it in the tree it gives.
    void leaveOutOfTree() { m_inTree = false; }
    bool isInTree() const { return m_inTree; }

private:
    const QString* m_path = nullptr;
    const QString* m_folder = nullptr;
    const QString* m_name = nullptr;
    mutable QString m_madePath;
    QByteArrayView m_nativeBelowRoot;
    bool m_stampTaken;
    const Platform::FileStamp* m_stamp;
    bool m_inTree = true;
};

namespace LibraryScan {

// Everything below dir, to full depth. Links to folders are followed, but each real folder
// (same device and inode) is entered once per scan, at the first place the scan meets it; the
// folders dir lies in count as met. A folder met again, or on a pseudo file system (/proc,
// /sys, /dev), is listed as a folder node that is not entered (revisited).
// onDocument, when given, is called with each document as soon as it is met, in the order of
// forEachDocument; a document it leaves out of the tree gets no node. When stop (if given) is set,
// the scan ends at the next entry. unreadable, when given, counts the folders that could not be
// read (wholly or in part). takeStamps, when given: while it is set, the documents' stamps are
// taken as their folders are listed, and each document is given with its path below dir (a search
// sets it once it knows whether an index will ask for them).
std::vector<ScanNode> deep(const QString& dir,
                           const std::function<void(ScannedDocument&)>& onDocument = {},
                           const std::atomic<bool>* stop = nullptr, int* unreadable = nullptr,
                           const std::atomic<bool>* takeStamps = nullptr);

// Removes the folders that hold no document, at any depth (a search keeps only the folders
// that lead to a found document).
void pruneEmptyFolders(std::vector<ScanNode>& nodes);

// Calls visit for every document below nodes, in scan order.
void forEachDocument(const std::vector<ScanNode>& nodes,
                     const std::function<void(const ScanNode&)>& visit);

} // namespace LibraryScan
