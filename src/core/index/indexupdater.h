#pragma once

#include <QString>

#include <atomic>
#include <functional>

class DocumentIndex;

// Brings the index of a library folder up to date: a walk of the folder (directory entries,
// sizes and times only) finds the documents added or changed since (read and indexed) and
// those gone (dropped). Work is committed as it goes, so a stopped or killed update keeps
// what it did.
namespace IndexUpdater {

struct Summary
{
    int documents = 0; // held by the index afterwards
    int read = 0;      // added or changed, read and indexed now
    int removed = 0;
    bool complete = false; // false when stopped, or when a write failed
};

// progress(done, total) is called now and then from the running thread.
bool update(const QString& folder, DocumentIndex& index, Summary* summary,
            const std::function<void(int done, int total)>& progress = {},
            const std::atomic<bool>* stop = nullptr);

// The path of a document below folder, as the index keeps it.
QString relativePath(const QString& folder, const QString& path);

} // namespace IndexUpdater
