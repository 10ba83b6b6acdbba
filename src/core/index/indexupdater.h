#pragma once

#include "platform/platform.h"

#include <QString>

#include <atomic>
#include <functional>

class DocumentIndex;

// Brings the index of a library folder up to date: a walk of the folder (directory entries
// and stamps only) finds the documents added or changed since (read and indexed) and
// those gone (dropped). Work is committed as it goes, so a stopped or killed update keeps
// what it did.
namespace IndexUpdater {

struct Summary
{
    int documents = 0; // held by the index afterwards
    int read = 0;      // added or changed, read and indexed now
    int removed = 0;
    // Too large to keep (over LargestDocument): kept as documents every search reads.
    int tooLarge = 0;
    bool complete = false; // false when stopped, or when a write failed
};

// The largest document whose text the index keeps: the build's memory stays bounded (the text,
// its folded copy and its words are held at once), and a larger one is read by every search.
constexpr qint64 LargestDocument = 16 * 1024 * 1024;
// A stamp is trusted only when the document was read this long (in nanoseconds) after the
// latest time of its stamp: a change within one tick of the file system's clock (whole seconds
// on some, two on FAT) would leave the stamp as it was. Until then every search reads it,
// and the next update reads it again.
constexpr qint64 SettleTime = Platform::FileStamp::SettleTime;

// progress(done, total) is called now and then from the running thread.
bool update(const QString& folder, DocumentIndex& index, Summary* summary,
            const std::function<void(int done, int total)>& progress = {},
            const std::atomic<bool>* stop = nullptr);

// The path of a document below folder, as the index keeps it.
QString relativePath(const QString& folder, const QString& path);

} // namespace IndexUpdater
