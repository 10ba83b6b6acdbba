#pragma once

#include "text/documenttext.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <deque>
#include <string>
#include <vector>

// Words in any of their forms. Words are the maximal runs of letters and digits; each is put
// in its simple lower case with ё as е and compared by its keys (WordKeys).
namespace WordForms {

// A word of a text: its keys and the characters it stands on.
struct Word
{
    QStringList keys;
    qsizetype first = 0;
    qsizetype end = 0;
    qsizetype beginUnit = 0; // the units of the document it comes from
    qsizetype endUnit = 0;
};

// The most characters of a word: a longer run of letters and digits is its first ones (in the
// text and in a query alike), so that a page of one endless word costs no more than others.
constexpr qsizetype MaxWordLength = 256;

// The words of a text read piece by piece.
class WordSplitter
{
public:
    // forQuery: the words are a query's, looked up both ways (WordKeys::ofQuery).
    explicit WordSplitter(bool forQuery = false) : m_forQuery(forQuery) {}
    // Only the words that begin with one of beginnings (folded, as the words are) get their
    // keys; the others get none. A search gives the beginnings every form of its words begins
    // with (WordSearch): no other word can meet them, and looking up its keys is most of the
    // cost of reading. Null: every word gets its keys.
    void setKeyedBeginnings(const std::vector<std::u32string>* beginnings)
    {
        m_keyedBeginnings = beginnings;
    }
    // The next characters, the first of them the text's character firstIndex.
    void read(const DocumentText::Char* chars, qsizetype count, qsizetype firstIndex,
              std::vector<Word>& out);
    void finish(std::vector<Word>& out);
    // The first character of the word still being read; -1 when none is.
    qsizetype wordBegin() const { return m_word.empty() ? -1 : m_first; }
    qsizetype wordBeginUnit() const { return m_word.empty() ? -1 : m_beginUnit; }

private:
    QStringList keysOf(const std::u32string& word) const;

    bool m_forQuery;
    const std::vector<std::u32string>* m_keyedBeginnings = nullptr;
    std::u32string m_word;
    qsizetype m_first = 0;
    qsizetype m_next = 0;
    qsizetype m_beginUnit = 0;
    qsizetype m_endUnit = 0;
};

// The words of a text, in order.
std::vector<Word> words(const std::vector<DocumentText::Char>& text);
// The same of a text given whole, or of a query (forQuery).
std::vector<Word> words(const QString& text, bool forQuery = false);
// The words of a text as the index keeps them: each word's keys, joined by
// WordKeys::TokenSeparator.
QStringList tokens(const QString& text);
// The keys of one word as it stands in a text.
QStringList keys(const QString& word);

} // namespace WordForms

// A query of the word-forms search: split at blanks into groups, text in double quotes one
// group. A group of several words is a phrase, whose words must stand one right after
// another; a document is found when every group occurs in it. A word of the query meets a
// word of a text when they share a key (a query word's keys: WordKeys::ofQuery).
class WordQuery
{
public:
    WordQuery() = default;
    explicit WordQuery(const QString& text);

    // False for a query without any word.
    bool isValid() const { return !m_groups.isEmpty(); }
    // The words of all groups. A query of more than MaxWords is refused: its phrases would
    // cost the square of its length.
    qsizetype wordCount() const;
    static constexpr qsizetype MaxWords = 256;
    // A group: the keys of each of its words.
    using Group = QList<QStringList>;
    // The groups, in the order of the query.
    const QList<Group>& groups() const { return m_groups; }
    // A group as a phrase of the index's full-text table of words (WordForms::tokens): each
    // word's keys at one position, any of them found.
    static QString fullTextPhrase(const Group& group);
    // The query for that table: every group a phrase, all of them required.
    QString fullTextQuery() const;

    // How often each group occurs in a text's words (their keys, in order).
    QList<int> counts(const QList<QStringList>& words) const;
    // The same, the words' keys given one at a time as a text is read.
    class Tally
    {
    public:
        explicit Tally(const WordQuery& query);
        void add(const QStringList& keys);
        // A word without keys: it meets no word of a group. Once the latest words all are
        // such, another changes nothing.
        void addWithoutKeys()
        {
            if (m_sinceKeyed < m_longest)
                add(QStringList());
        }
        const QList<int>& counts() const { return m_counts; }

    private:
        const WordQuery& m_query;
        qsizetype m_longest;
        QList<int> m_counts;
        std::deque<QStringList> m_recent; // the latest words, as many as the longest group has
        qsizetype m_sinceKeyed = 0;       // words added since the latest with keys
    };
    // Whether every group occurs.
    static bool allFound(const QList<int>& counts);
    // The occurrences of every group in words, left to right, none overlapping the one before
    // (a phrase as a whole): as the highlighted copy marks them.
    struct Occurrence
    {
        qsizetype first; // the first character of the first word
        qsizetype end;   // past the last character of the last word
        int group;
    };
    std::vector<Occurrence> occurrences(const std::vector<WordForms::Word>& words) const;
    // The longest group that starts at words[0] (count words at hand), and its length in words;
    // -1 when none does.
    int groupAt(const WordForms::Word* const* words, qsizetype count, qsizetype* length) const;
    // The most words of a group.
    qsizetype longestGroup() const;

private:
    QList<Group> m_groups;
};

// The relevance of a document by BM25 over the query's groups, as SQLite's FTS5 computes
// bm25() (k1 = 1.2, b = 0.75; a phrase counts as one term; a negative IDF made 1e-6), but
// positive: more relevant documents score higher.
class Relevance
{
public:
    // documents: how many were searched; withGroup: how many of them hold each group;
    // averageLength: their average number of words.
    Relevance(int documents, const QList<int>& withGroup, double averageLength);
    double score(const QList<int>& counts, int length) const;

private:
    QList<double> m_idf;
    double m_averageLength;
};
