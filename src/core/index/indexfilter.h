#pragma once

#include "index/documentindex.h"
#include "index/stamptable.h"
#include "library/libraryscan.h"
#include "platform/platform.h"

#include <QHash>
#include <QSet>
#include <QString>

#include <cstddef>
#include <memory>
#include <optional>
#include <vector>

class KeptIndex;
class PartAddress;
class WordSearch;

// What the index of a library folder tells a text-mode search: which documents cannot hold
// the context and need not be read. A document the index does not know as it is on disk
// now (added or changed since, or one the index could not read) is always read.
class IndexFilter final
{
public:
    enum class State
    {
        Used,
        // The context is too short for the index (under three characters), or so common that
        // reading every document costs less than asking which: all is read.
        NotApplicable,
        // The folder has no index.
        Missing,
        // The index cannot be read (damaged, foreign, another version).
        Unusable,
        // The index has never been brought up to date whole (its first build runs, or was
        // stopped): the scan answers, as fast as it can, without waiting for it.
        Incomplete
    };

    // context: as the find box gives it; the index is asked for its normalised, folded form.
    IndexFilter(const QString& folder, const QString& context);
    ~IndexFilter();
    // The word-forms search: the index answers for every document it knows as it is.
    IndexFilter(const QString& folder, const WordSearch& search);
    // The search of the documents citing a designation: the candidates are those the index
    // knows to cite it.
    IndexFilter(const QString& folder, const struct Designation& cited);
    // ... and of the documents citing a part of it, or a part within that part.
    IndexFilter(const QString& folder, const struct Designation& cited, const PartAddress& part);
    // What documents are and replace, for the catalog of norms: the index answers for every
    // document it knows as it is.
    enum class Norms
    {
        OwnAndReplaced
    };
    IndexFilter(const QString& folder, Norms norms);
    // Only which documents the index knows as they are (knownEntry), for a caller that asks
    // about several contexts of the same documents: their stamps are compared once.
    enum class Stamps
    {
        Only
    };
    IndexFilter(const QString& folder, Stamps stamps);

    State state() const { return m_state; }
    // How many documents the index names as able to hold the context (used with a context);
    // -1 when it is not used.
    int candidateCount() const { return m_state == State::Used ? m_candidateCount : -1; }
    // The document's entry in the index when the index knows it as it is now; else -1.
    qsizetype knownEntry(const ScannedDocument& document) const
    {
        return m_state == State::Used ? entryAsIs(document) : -1;
    }
    // Whether another filter's entries are this one's: both read the same stamps.
    bool sharesEntriesWith(const IndexFilter& other) const
    {
        return m_state == State::Used && m_stamps && m_stamps == other.m_stamps &&
               m_device == other.m_device;
    }
    // Whether the document of a known entry may hold the context (used with a context).
    bool isCandidateEntry(qsizetype entry) const
    {
        return entry >= 0 && std::size_t(entry) < m_marked.size() && m_marked[std::size_t(entry)];
    }
    // The index file asked (shared or the user's own).
    QString file() const { return m_file; }
    // False only for a document the index knows as it is and whose text cannot hold the
    // context. A document met by a walk that took stamps is proved by its stamp, found by
    // its bytes; one given by its path is looked at again.
    bool mustRead(const ScannedDocument& document) const;
    bool mustRead(const QString& path) const;
    // Whether the index knows the document as it is on disk now and this user may read it.
    bool knowsAsIs(const ScannedDocument& document) const;
    // Citations: whether the document cites the designation, where the index knows it as it
    // is (the index keeps what a reading finds); none where it must be read.
    std::optional<bool> knownCitation(const ScannedDocument& document) const;
    // The catalog: the rows of what a document is and replaces, where the index knows it as
    // it is; none where it must be read.
    std::optional<QList<DocumentIndex::NormRow>> knownNorms(const ScannedDocument& document) const;
    // Word forms: what a reading of a document the index knows as it is would tell of it: the
    // occurrences of each group (of a document that does not hold them all, 1 for each group
    // it holds) and its length in words, or -2 where the reading would not read it whole
    // (WordSearch::mayHold). The relevance of the found ones then comes from the same
    // statistics as the scan's.
    struct KnownWords
    {
        bool found = false;
        QList<int> counts;
        int length = -2;
    };
    // Of a document the index knows as it is (knowsAsIs).
    KnownWords knownWords(const QString& path) const;

    // The index a search of folder would use: its shared one when there is one (the pointer
    // file itself when it names nothing usable: a damaged shared index), else the user's own;
    // empty when there is none.
    static QString indexFileFor(const QString& folder);

private:
    // The candidates are the documents with rows of role and key, of the edition cited.
    void useCitations(DocumentIndex::NormRole role, const struct Designation& cited,
                      const QString& key);
    // The entry of a document the index knows as it is, or -1.
    qsizetype entryAsIs(const ScannedDocument& document) const;
    // Marks the candidates (paths below the folder) beside the stamps; false when one is not
    // among them.
    bool markCandidates(const QSet<QString>& candidates);
    void forgetStamps();
    // Opens the folder's index and begins the one read of an answer (a snapshot that a build
    // committing meanwhile does not change); false, with the state set, when there is none to
    // read.
    bool open(KeptIndex& index);

    QString m_folder;
    QString m_file;
    State m_state = State::Missing;
    quint64 m_device = 0; // the library folder's, as the stamps are kept relative to it
    std::shared_ptr<const StampTable> m_stamps;
    std::vector<char> m_marked; // by entry of the stamps: the candidates
    int m_candidateCount = 0;
    // Word forms: the documents that hold every group, those that hold each group, those a
    // reading would read whole (every probe), and each document's words.
    QHash<QString, QList<int>> m_wordHits;
    QList<QSet<QString>> m_groupHolders;
    std::optional<QSet<QString>> m_readWhole; // none: every document
    QHash<QString, int> m_wordCounts;
    // The catalog: each document's rows, by its path below the folder.
    QHash<QString, QList<DocumentIndex::NormRow>> m_norms;
};
