#pragma once

#include "contextpattern.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <vector>

// Checks documents for a context by the matching rule: each file is read in large chunks
// (overlapping by the context's length less one) until the first match, in the encoding the
// document declares. Many documents are checked on a pool of threads.
class DocumentSearch
{
public:
    DocumentSearch(const QString& context, bool caseSensitive);

    // False when the file is missing or cannot be read.
    bool contains(const QString& path) const;

    // One answer per path, in the order of paths. checked, when given, counts the documents
    // done so far (for a progress display).
    std::vector<char> containsAll(const QStringList& paths,
                                  std::atomic<int>* checked = nullptr) const;

    static constexpr qsizetype ChunkSize =
        64 * 1024; // fits the cache; most documents take one read

private:
    const ContextPattern& patternFor(ContextPattern::Encoding encoding) const;
    bool containsJoined(const QString& path) const;

    QString m_context;
    bool m_caseSensitive;
    ContextPattern m_windows1251;
    ContextPattern m_utf8;
};
