#pragma once

#include "norms/designation.h"
#include "norms/partaddress.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <optional>

// What a document is and what it cites, by the designations of its names and its text:
// - its own designations are those of its names (the tree's caption, the file name, the
//   title, the first heading), first the one it is chiefly known by;
// - it cites every designation of its text that is not one of its own;
// - it replaces the documents its first pages name after "взамен" or "актуализированная
//   редакция".
class DocumentNorms
{
public:
    struct Citation
    {
        Designation first; // the first mention, its place in the text
        int count = 0;
    };
    // A part of a cited document named with it ("п. 5.2.3 СП 48.13330.2019").
    struct PartCitation
    {
        Designation first; // the designation of the first mention, its place in the text
        PartAddress part;
        int count = 0;
    };

    // Where "взамен" and "актуализированная редакция" are looked for: the first pages.
    static constexpr qsizetype FirstPages = 12000;

    DocumentNorms() = default;
    // names: the caption and the file name first, then the title and the heading.
    explicit DocumentNorms(const QStringList& names);
    // The norms of a text and the names of its document.
    static DocumentNorms ofText(const QStringList& names, const QString& text);
    // The norms of a page from its bytes: its text, title and heading besides the names; text,
    // when given, is the page's text already read.
    static DocumentNorms ofPage(const QByteArray& raw, const QStringList& names,
                                const QString* text = nullptr);
    // The name a document is known by where no caption is given: its file name without the
    // extension.
    static QString fileNameOf(const QString& path);
    // The same read from a file in pieces, in memory that does not grow with it; none when it
    // cannot be read (or cancel is set meanwhile).
    static std::optional<DocumentNorms> ofFile(const QString& path, const QStringList& names,
                                               const std::atomic<bool>* cancel = nullptr);

    const QList<Designation>& own() const { return m_own; }
    const QList<Citation>& citations() const { return m_citations; }
    const QList<PartCitation>& partCitations() const { return m_partCitations; }
    const QList<Designation>& replaced() const { return m_replaced; }
    bool isOwn(const Designation& designation) const;
    // Whether it cites the designation (an edition not written fits any).
    bool cites(const Designation& designation) const;
    // Whether it cites the part of the document, or a part within it ("п. 5.2.3" cites
    // "п. 5.2").
    bool citesPart(const Designation& designation, const PartAddress& part) const;

private:
    // The designations of a piece of the text that begin at from or later and before
    // beginLimit; offset is the place of the piece in the whole text. Returns where the next
    // piece is to be looked at: beginLimit, or the end of the last designation taken.
    qsizetype addText(QStringView text, qsizetype offset, qsizetype from, qsizetype beginLimit);
    void addReplaced(QStringView text, const QList<Designation>& found);

    QList<Designation> m_own;
    QList<Citation> m_citations;
    QHash<QString, qsizetype> m_citationAt; // by key and edition
    QList<PartCitation> m_partCitations;
    QHash<QString, qsizetype> m_partCitationAt; // by key, edition and part
    QList<Designation> m_replaced;
};
