#pragma once

#include "matching/wordforms.h"
#include "platform/platform.h"

#include <QList>
#include <QString>

#include <atomic>
#include <memory>
#include <vector>

class DocumentFile;
class TextSearch;

// The word-forms check of one document: its text as text mode reads it, its words in any
// form, and how often each group of the query occurs in them.
class WordSearch
{
public:
    explicit WordSearch(const QString& query);
    ~WordSearch();
    WordSearch(const WordSearch&) = delete;
    WordSearch& operator=(const WordSearch&) = delete;

    const WordQuery& query() const { return m_query; }

    struct Reading
    {
        bool readable = false;
        bool withoutText = false; // a PDF without text (a scan): not read, and not unreadable
        QList<int> counts;        // of each group
        int length = 0;           // words of the document; -2 when it was not read whole
        bool found() const { return WordQuery::allFound(counts); }
    };
    Reading read(const QString& path, const std::atomic<bool>* cancel = nullptr) const;

    // A document up to this size is held whole for the quick look (mayHold); a larger one is
    // read in pieces.
    static constexpr qsizetype WholeReadLimit = 32 * 1024 * 1024;

    // Whether the document's bytes can hold every group: each group has a few beginnings of a
    // word one of which every form of it begins with, looked for in the text as text mode
    // looks.
    bool mayHold(const QByteArray& raw) const;
    // The beginnings mayHold looks for, a list for each group that has them, as contexts of
    // text mode (none: every document may hold the query).
    const QList<QStringList>& probes() const { return m_probeTexts; }

private:
    // Adds the beginnings of a word of the query to those a reading looks up keys for.
    void keepKeyedBeginnings(const QStringList& beginnings);
    // Reads head, then the rest of the file (when given) piece by piece, counting the words.
    Reading readInPieces(DocumentFile* rest, const QByteArray& head,
                         const std::atomic<bool>* cancel) const;

    WordQuery m_query;
    std::vector<std::vector<std::unique_ptr<TextSearch>>> m_probes;
    QList<QStringList> m_probeTexts;
    // What every form of every word of the query begins with, folded; none known when one of
    // its words has no such beginnings (every word of a text is then looked up).
    std::vector<std::u32string> m_keyedBeginnings;
    bool m_everyWordKeyed = false;
    std::unique_ptr<class PageWords> m_pageWords; // a held page's words, by those beginnings
};
