#pragma once

#include "documenttext.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <deque>
#include <string>
#include <vector>

// Words in any of their forms. Words are the maximal runs of letters and digits; each is put
// in its simple lower case with ё as е, and a word of Cyrillic letters only is reduced to its
// stem by the Snowball Russian stemmer, one of Latin letters only by the English one; any
// other word stays as it is.
namespace WordForms {

// A word of a text: its stem and the characters it stands on.
struct Word
{
    QString stem;
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
    // The next characters, the first of them the text's character firstIndex.
    void read(const DocumentText::Char* chars, qsizetype count, qsizetype firstIndex,
              std::vector<Word>& out);
    void finish(std::vector<Word>& out);
    // The first character of the word still being read; -1 when none is.
    qsizetype wordBegin() const { return m_word.empty() ? -1 : m_first; }
    qsizetype wordBeginUnit() const { return m_word.empty() ? -1 : m_beginUnit; }

private:
    std::u32string m_word;
    qsizetype m_first = 0;
    qsizetype m_next = 0;
    qsizetype m_beginUnit = 0;
    qsizetype m_endUnit = 0;
};

// The words of a text, in order.
std::vector<Word> words(const std::vector<DocumentText::Char>& text);
QStringList stems(const QString& text);
// The stem of one word as it stands in a text.
QString stem(const QString& word);

} // namespace WordForms

// A query of the word-forms search: split at blanks into groups, text in double quotes one
// group. A group of several words is a phrase, whose stems must stand one right after another;
// a document is found when every group occurs in it.
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
    // The groups' stems, in the order of the query.
    const QList<QStringList>& groups() const { return m_groups; }
    // The query for a full-text table of stems: every group a phrase, all of them required.
    QString fullTextQuery() const;

    // How often each group occurs in a text's stems.
    QList<int> counts(const QStringList& stems) const;
    // The same, the stems given one at a time as a text is read.
    class Tally
    {
    public:
        explicit Tally(const WordQuery& query);
        void add(const QString& stem);
        const QList<int>& counts() const { return m_counts; }

    private:
        const WordQuery& m_query;
        qsizetype m_longest;
        QList<int> m_counts;
        std::deque<QString> m_recent; // the latest stems, as many as the longest group has
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
    QList<QStringList> m_groups;
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
