#pragma once

#include "library/libraryscan.h"
#include "platform/platform.h"

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

// A library folder as a whole walk found it, kept while a watch reports what changes in its
// folders. A search replays it instead of walking: only the folders whose entries were
// reported changed are listed anew; every document's stamp is still taken anew, relative to
// its folder opened once (a watch cannot prove a file unchanged: a file of several names may
// be written through a name elsewhere, a shared mapping is written unseen), and a folder that
// is no longer the one kept (replaced, or mounted over) means a walk. It is made only for a
// library the watch can follow whole: every folder watched, all on the library's own file
// system, none reached through a link or met twice. Otherwise there is none, and searches
// walk.
class LibrarySnapshot final
{
public:
    // Walks folder; null when the watch cannot follow it (or stop was set).
    static std::unique_ptr<LibrarySnapshot> take(const QString& folder,
                                                 const std::atomic<bool>* stop = nullptr);
    ~LibrarySnapshot();
    LibrarySnapshot(const LibrarySnapshot&) = delete;
    LibrarySnapshot& operator=(const LibrarySnapshot&) = delete;

    const QString& folder() const { return m_root; }
    int documentCount() const { return m_documents; }
    // What the watch reported since the last call, read without waiting (by the owner).
    Platform::FolderWatch::Changes takeChanges() { return m_watch.take(); }
    int watchDescriptor() const { return m_watch.descriptor(); }

    // The walk of a search, from what is kept: as LibraryScan::deep with stamps gives it (the
    // same documents in the same order, the same nodes and unreadable folders), with
    // changedFolders listed anew. False, with nothing called, when the library must be walked
    // after all (a folder added or removed there, the library folder itself replaced).
    bool replay(const QStringList& changedFolders,
                const std::function<void(ScannedDocument&)>& onDocument,
                std::vector<ScanNode>* nodes, int* unreadable,
                const std::atomic<bool>* stop = nullptr) const;

private:
    struct Document
    {
        QString caption;
        QString path;
        QByteArray native; // below the library folder
        QByteArray name;   // in its folder
        Platform::FileStamp stamp;
        bool stamped = false;
    };
    struct Folder
    {
        QString name;
        QString caption;
        QString path;
        QByteArray native;
        Platform::FolderId id;
        bool complete = true;
        std::vector<size_t> folders; // in listing order
        std::vector<Document> documents;
    };
    LibrarySnapshot() = default;
    // Lists a folder into record; false when the watch cannot follow it.
    static bool listInto(const QString& path, const QByteArray& native, Folder* record,
                         QStringList* folderNames);
    bool walk(size_t folder, QSet<QByteArray>& visited, const std::atomic<bool>* stop);
    class FreshStamps;
    void replayFolder(size_t folder, const QHash<QString, size_t>& changed,
                      const std::vector<Folder>& relisted, FreshStamps& stamps,
                      const std::function<void(ScannedDocument&)>& onDocument,
                      std::vector<ScanNode>* nodes, int* unreadable,
                      const std::atomic<bool>* stop) const;

    QString m_root;
    Platform::FolderId m_rootId;
    std::vector<Folder> m_folders; // the library folder first
    QHash<QString, size_t> m_byPath;
    int m_documents = 0;
    Platform::FolderWatch m_watch;
};
