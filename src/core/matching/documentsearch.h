#pragma once

#include "matching/contextpattern.h"
#include "matching/firstlook.h"
#include "matching/matchoptions.h"
#include "matching/rawmatcher.h"
#include "matching/textsearch.h"

#include <QString>

#include <atomic>
#include <vector>

// Checks documents for a context by the matching rule: each file is read in large chunks
// (overlapping by the context's length less one) until the first match, in the encoding the
// document declares. Whole words and UTF-16 documents are matched on the whole document, read
// at once; the text of a document is looked at whole up to a few megabytes, and read in
// pieces past that. Text mode may read a document's first bytes alone first (FirstLook).
class DocumentFile;

class DocumentSearch
{
public:
    DocumentSearch(const QString& context, bool caseSensitive);
    DocumentSearch(const QString& context, const MatchOptions& options);

    // False when the file is missing or cannot be read, and when cancel (if given) is set
    // while the file is read.
    // unreadable, when given, is set when the document could not be opened or read;
    // withoutText when it is a PDF without text (a scan). A PDF is looked at by its text in
    // every mode: it has no bytes of a page.
    bool contains(const QString& path, const std::atomic<bool>* cancel = nullptr,
                  bool* unreadable = nullptr, bool* withoutText = nullptr) const;

    // Text mode looks at a document up to this size whole.
    static constexpr qsizetype WholeTextLimit = 8 * 1024 * 1024;
    static constexpr qsizetype ChunkSize =
        64 * 1024; // fits the cache; most documents take one read

private:
    const ContextPattern& patternFor(ContextPattern::Encoding encoding) const;
    bool containsWhole(DocumentFile& reader, std::vector<char>& buffer, qsizetype held,
                       TextEncoding::Encoding encoding, const std::atomic<bool>* cancel,
                       bool* unreadable) const;
    // known: what a look at the first bytes found (none when there was none).
    bool containsText(DocumentFile& reader, std::vector<char>& buffer, qsizetype held,
                      TextEncoding::Encoding encoding, const std::atomic<bool>* cancel,
                      bool* unreadable, const TextSearch::Beginning* known = nullptr) const;
    static bool containsJoined(DocumentFile& reader, std::vector<char>& buffer, qsizetype held,
                               const ContextPattern& pattern, const std::atomic<bool>* cancel,
                               bool* unreadable);

    QString m_context;
    MatchOptions m_options;
    ContextPattern m_windows1251;
    ContextPattern m_utf8;
    TextSearch m_text;
    std::vector<RawMatcher> m_raw; // by encoding
    mutable FirstLook m_firstLook;
};
