#pragma once

#include "index/indexupdater.h"

#include <QString>

#include <atomic>
#include <functional>

// Building the index of a library folder where it belongs, as lectoria-index and the window
// do it: one builder at a time per index (a lock file beside it), a damaged or foreign file
// replaced by a new one, a shared index written as a new numbered generation that a pointer
// file then names.
namespace IndexBuild {

enum class Outcome
{
    Done,
    Stopped,
    // Another program builds the same index now.
    Busy,
    // The index cannot be written (a read-only folder, a full disk): errorText says why.
    Failed
};

struct Report
{
    Outcome outcome = Outcome::Failed;
    IndexUpdater::Summary summary;
    QString file; // the index written
    qint64 textBytes = 0;
    qint64 fileBytes = 0;
    QString errorText;
    // A damaged or foreign index was found and replaced.
    bool replaced = false;
    // The index was read through to check it whole: nothing proved it so.
    bool readThrough = false;
};

// The user's own index of folder, in the cache.
Report updateOwn(const QString& folder, const std::function<void(int, int)>& progress = {},
                 const std::atomic<bool>* stop = nullptr);
// The shared index in folder/.lectoria, as a new generation.
Report updateShared(const QString& folder, const std::function<void(int, int)>& progress = {},
                    const std::atomic<bool>* stop = nullptr);

} // namespace IndexBuild
