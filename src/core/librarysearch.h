#pragma once

#include "libraryscan.h"

#include <QString>

#include <atomic>

// A folder searched to full depth: every document below it checked by the matching rule,
// only those that hold the context kept. The result is exactly that of a one-thread scan in
// directory order; the documents are checked on a pool of threads.
struct LibrarySearchResult
{
    std::vector<ScanNode> nodes; // folders (also those left empty) and the found documents
    int checked = 0;
    int found = 0;
};

namespace LibrarySearch {

LibrarySearchResult scan(const QString& dir, const QString& context, bool caseSensitive,
                         std::atomic<int>* progress = nullptr);

// The text of a context as the find box gives it: characters of code 32 or less removed
// from both ends.
QString trimmedContext(const QString& text);

} // namespace LibrarySearch
