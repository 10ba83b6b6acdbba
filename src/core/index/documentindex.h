#pragma once

#include "platform/platform.h"

#include <QList>

#include <QHash>
#include <QSet>
#include <QString>

struct sqlite3;

// The index of one library folder, a SQLite database: for every document its path below the
// folder, its stamp (Platform::FileStamp; all zeros for one to read at every search), the
// encoding decided for it, and its text as text
// mode reads it, folded to simple lower case, in an FTS5 trigram table. It only narrows which
// documents a search reads; it never decides a match.
class DocumentIndex final
{
public:
    // What a designation is to a document (DocumentNorms).
    enum class NormRole
    {
        Own = 0,
        Cites = 1,
        Replaces = 2,
        // A part of a cited document: the key is the document's and the part's
        // ("СП 48.13330#c:5.2"), one row for the part and each part that holds it.
        CitesPart = 3,
    };
    struct NormRow
    {
        QString path; // below the library folder
        NormRole role = NormRole::Own;
        QString key;
        int edition = 0;
        QString written;   // as the document writes it (its first mention)
        int count = 0;     // mentions; for its own, the rank (0: the one it is known by)
        qint64 first = -1; // the first mention's place in the text; -1 in its names
    };

    enum class Access
    {
        // The user's own index: created when missing, written by the program.
        ReadWrite,
        // The user's own index as a search reads it: never created, never written.
        Read,
        // A shared index on a library many read: opened read-only and immutable (no lock
        // files, no journal written beside it).
        ReadOnly
    };
    enum class Problem
    {
        None,
        // Missing (read-only), or the folder for it cannot be written.
        CannotOpen,
        // Not an index of this program, of another version, or damaged.
        Unusable,
        // A write failed (the disk is full, the file was taken away).
        WriteFailed
    };

    DocumentIndex() = default;
    ~DocumentIndex();
    DocumentIndex(const DocumentIndex&) = delete;
    DocumentIndex& operator=(const DocumentIndex&) = delete;

    // False, with problem() set, when the file cannot be used as an index of this version.
    bool open(const QString& file, Access access);
    void close();
    bool isOpen() const { return m_db != nullptr; }
    Problem problem() const { return m_problem; }
    QString errorText() const { return m_error; }

    // Every indexed document's stamp, by its path below the library folder (finished: ready
    // to be asked).
    bool stamps(class StampTable* out);
    // How many times this process has read the stamps of an index: once per answer.
    static quint64 stampReads();
    // A path below the library folder as the index keeps it: the file system's bytes.
    static QByteArray pathBytes(const QString& relativePath);
    // The documents whose folded text holds the folded text phrase (three characters or
    // more): every document that can hold it, and perhaps a few more. At most limit + 1 of
    // them when limit is given.
    bool candidates(const QString& foldedPhrase, QSet<QString>* out, int limit = -1);
    // How many documents hold the rarest of some trigrams of the folded phrase: an upper
    // bound of the candidates, found before asking for them; -1 when it cannot be told.
    // Counted up to cap at most (a common trigram's list is not read to its end).
    int rarestTrigramCount(const QString& foldedPhrase, int cap);
    int documentCount();
    // The word-forms search: each document holding every group of the query (one phrase each,
    // in order), with how often each group occurs in it (every place a group ends, as
    // WordQuery::Tally counts).
    bool wordMatches(const QString& fullTextQuery, QHash<QString, QList<int>>* out);
    // The documents that hold a phrase of the words table (WordQuery::fullTextPhrase).
    bool documentsWithPhrase(const QString& fullTextPhrase, QSet<QString>* out);
    // Every document's number of words.
    bool wordCounts(QHash<QString, int>* out);
    // The key of a part citation's rows: the document's key and the part's (indexKey).
    static QString partKey(const struct Designation& document, const QString& part);
    // The rows of one role for every document; of a key alone when key is given.
    bool norms(NormRole role, QList<NormRow>* out, const QString& key = QString());
    // At least the number of documents held, told at once.
    int documentCountBound();
    // The bytes of the documents' texts (UTF-8).
    qint64 textBytes();

    // Everything an answer needs is read between these two: one snapshot of the index, which
    // a build committing meanwhile does not change.
    bool beginRead();
    void endRead();
    // Inside a read: a number that changes whenever another connection has written the index
    // since this one last asked (SQLite's data version); -1 when it cannot be told.
    qint64 dataVersion();
    // Whether the index is in write-ahead-log mode (as while a build writes it).
    bool hasWriteAheadLog();

    // Writing, in transactions: what a killed build wrote before its last commit stays.
    bool begin();
    bool commit();
    void rollback();
    // stems: the document's words in any form (WordForms::tokens), in order; norms: what it is,
    // cites and replaces.
    bool put(const QString& relativePath, const Platform::FileStamp& stamp, int encoding,
             const QString& foldedText, const QStringList& stems, const class DocumentNorms& norms);
    bool remove(const QString& relativePath);

    // Adds what this version keeps beside an index made by an earlier one; false when it
    // cannot be written.
    bool completeSchema();

    // SQLite's quick_check: false when the file is damaged (pages lost or overwritten), which
    // would only give fewer candidates.
    bool isSound();

    // Leaves the file whole with no journal beside it, for readers that open it immutable.
    bool finishForSharing();

    // The index's own notes (the folder it covers, when it was brought up to date).
    QString note(const QString& key);
    bool setNote(const QString& key, const QString& value);

    // The text of a document as it is kept: each character in its simple lower-case form,
    // code 0 as NoContextCharacter.
    static QString folded(const QString& text);
    static constexpr char32_t NoContextCharacter = 0xFFFF;
    // 5: the text as a browser shows it; 6: stamps with identity and change time, stems
    // taken as they are; 7: soft hyphens and stress accents left out, marks part of words;
    // 8: the designations each document is, cites and replaces; 9: words keyed by the Russian
    // dictionary, a word's keys at one position.
    static constexpr int FormatVersion = 10;

private:
    bool execute(const char* sql);
    // Makes lectoria_counts(stems), the occurrences of each phrase of a match, known to this
    // connection.
    bool addCountFunction();
    // Whether the index's words were keyed as this program keys them (WordKeys::identity).
    bool hasOwnWordKeys();
    bool fail(Problem problem);
    bool createSchema();
    bool checkSchema();
    // Takes a document's rows out of the full-text tables and the designations.
    bool dropIndexed(qint64 id);
    bool putNorms(qint64 id, const class DocumentNorms& norms);

    sqlite3* m_db = nullptr;
    Problem m_problem = Problem::None;
    QString m_error;
};
