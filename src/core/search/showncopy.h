#pragma once

#include "matching/highlightedcopy.h"
#include "matching/matchoptions.h"
#include "norms/documentstructure.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class NormCatalog;

// The copy of a page the viewer shows in its place: the occurrences of a search marked
// (HighlightedCopy) and the designations it cites made links to the documents of the catalog
// that hold them, or marked as absent from the library (LinkedCopy). A page with nothing to
// mark, nothing to link and no parts has no copy: the page itself is shown. The copy marks the
// place of each of the page's parts (PartAnchors).
class ShownCopy
{
public:
    // What a search marks in the page.
    struct Marking
    {
        QStringList contexts; // in word forms, one query
        MatchOptions options;
        quint32 fontColor = HighlightedCopy::DefaultFontColor;
        quint32 backColor = HighlightedCopy::DefaultBackColor;
    };
    struct Made
    {
        QString file;     // the copy; empty: the page itself is shown
        int marks = -1;   // the occurrences marked; -1 when none were looked for
        int inMarkup = 0; // those left alone in the markup
        // The page's parts; in the copy, each part's place is marked (PartAnchors). Empty
        // when the page cannot be read.
        std::shared_ptr<const DocumentStructure> structure;
    };

    // The copy of document (its tree caption given) in the highlighting working folder (of the
    // viewer in slot: UserWorkDir::highlightWorkDir).
    static Made make(const QString& document, const QString& caption,
                     const std::optional<Marking>& marking, const NormCatalog* catalog,
                     int slot = 0);
    // The page with the designations it cites linked, the document's own left as they are;
    // returns how many were wrapped (linked or marked absent).
    static int linkDesignations(const QByteArray& page, const QString& document,
                                const QString& caption, const NormCatalog& catalog,
                                QByteArray* linked);
    // The same, and the references to parts made links too: to a part of the page where
    // structure (the page's, its anchors placed) has it, to a part of a document the catalog
    // holds; estimate items ("ГЭСН 06-01-001-01") link to the table or collection that holds
    // them. Without a catalog only the page's own parts are linked.
    static int linkDesignations(const QByteArray& page, const QString& document,
                                const QString& caption, const NormCatalog* catalog,
                                const DocumentStructure* structure, QByteArray* linked);
};
