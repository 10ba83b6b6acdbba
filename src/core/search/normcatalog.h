#pragma once

#include "norms/designation.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <optional>

// The library as a body of norms: which documents are which designations (by their captions,
// file names, and, where an index knows them as they are, their titles and headings), and
// which documents replace which. Made apart from the window and then only read.
class NormCatalog
{
public:
    struct Entry
    {
        QString path;
        QString caption;
        Designation designation;
        int rank = 0; // 0: the designation the document is chiefly known by
    };

    // Lists the documents of the folders and what their captions and file names are; a
    // folder's index adds its documents' titles, headings and replacements for the documents
    // it knows as they are. Empty when cancelled.
    static NormCatalog ofFolders(const QStringList& folders, const std::atomic<bool>* cancel);

    void addDocument(const QString& path, const QString& caption, const QList<Designation>& own);
    void addReplacement(const QString& replacingPath, const Designation& replaced);

    // The document a citation names: its edition when the library holds it; without a year,
    // or when that edition is not held, the newest held (exact tells which). None when the
    // library holds no edition of it.
    std::optional<Entry> resolve(const Designation& cited, bool* exact = nullptr) const;
    // Where following a designation as written leads: the document it names (its edition,
    // or the newest held) and what the status bar says of it ("…: нет в библиотеке", or
    // that the edition asked for is not held); no path when the library holds none.
    struct Followed
    {
        QString path;
        QString note;
    };
    Followed follow(const QString& written) const;
    // Every held edition of the document a key names, newest first.
    QList<Entry> editions(const QString& key) const;
    // The two editions to compare for the document at path, older first: the edition held
    // before it and itself when it is the newest, else itself and the edition held after it;
    // without another edition of its designation, itself and a document that replaces it, or
    // one it replaces and itself. None when the library holds no other edition.
    struct EditionPair
    {
        QString older;
        QString newer;
    };
    std::optional<EditionPair> comparedEditions(const QString& path) const;
    // The documents that say they replace one of the designations.
    QList<Entry> replacing(const QList<Designation>& designations) const;
    // The designations a document is known by, as listed.
    QList<Designation> ownOf(const QString& path) const;
    QString captionOf(const QString& path) const { return m_captions.value(path); }
    int documentCount() const { return int(m_own.size()); }
    // What the library holds beside the document: "Есть более новая редакция: …" and
    // "Заменён: …", each with the designation to follow.
    struct Note
    {
        QString text;        // up to the designation
        QString designation; // as written; what a click follows
    };
    QList<Note> notesFor(const QString& path) const;

private:
    QHash<QString, QList<Entry>> m_byKey;
    QHash<QString, QList<Designation>> m_own;                            // by path
    QHash<QString, QString> m_captions;                                  // by path
    QHash<QString, QList<std::pair<QString, Designation>>> m_replacedBy; // by the replaced key
};
