#pragma once

#include "index/documentindex.h"
#include "index/stamptable.h"
#include "platform/platform.h"

#include <QString>

#include <memory>

// A search's connection to an index, and the index's stamps, kept for the next search of the
// same index: the window searches one library again and again, and reading every stamp of the
// index is most of what the index costs a search. The stamps kept are used only while the
// index file is the one the connection opened, unchanged, and no one has written the index
// since they were read (its data version, asked in the search's own read); else they are read.
// Only the user's own index is kept open, and only while it has no write-ahead log (as its
// builder leaves it): an idle connection then holds no lock, and the builder can switch the
// journal back when it is done. A shared one stays free for the one who replaces it.
class KeptIndex final
{
public:
    KeptIndex() = default;
    // Gives the connection back (its read ended) to be kept.
    ~KeptIndex();
    KeptIndex(const KeptIndex&) = delete;
    KeptIndex& operator=(const KeptIndex&) = delete;

    // The kept connection to file when there is one still fit and no other search has it;
    // otherwise file opened anew (see DocumentIndex::open).
    bool open(const QString& file, DocumentIndex::Access access);
    DocumentIndex* operator->() { return &m_kept->index; }
    DocumentIndex& index() { return m_kept->index; }

    // Inside the read: the index's stamps, the table kept when nothing has changed (shared,
    // not copied). A connection is kept for the next search only once it has given them.
    bool stamps(std::shared_ptr<const StampTable>* out);

    // Closes the connection kept to file, if any (the file is about to be removed).
    static void forget(const QString& file);

private:
    struct Kept
    {
        DocumentIndex index;
        QString file;
        Platform::FileStamp fileStamp;            // of the file when opened
        qint64 version = -1;                      // of the index when the stamps were read
        std::shared_ptr<const StampTable> stamps; // none until read and kept
    };
    friend class KeptIndexes;

    std::unique_ptr<Kept> m_kept;
    bool m_keepable = false;
};
