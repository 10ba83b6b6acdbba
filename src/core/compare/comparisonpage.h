#pragma once

#include "compare/editioncomparison.h"

#include <QByteArray>
#include <QString>

// The page that shows two editions compared: at the top "Что изменилось", the counts of parts
// added, removed, changed, renumbered and unchanged and the changed parts as links into the
// page; then the parts in the new edition's order, the words deleted struck through and
// those inserted marked, unchanged parts folded to their titles. Each part links to its place
// in either edition ("lectoria-part:" the document's path, "#" and the part as a reader names
// it).
namespace ComparisonPage {

struct Source
{
    QString path; // the document's path; links to its parts
    QString name; // as the page names it
};

// The page in UTF-8.
QByteArray html(const Edition& older, const Edition& newer, const EditionComparison& comparison,
                const Source& oldSource, const Source& newSource);
// The address of a part of the document at path ("lectoria-part:…#п. 5.4"); part empty: its
// top.
QString partLink(const QString& path, const QString& part);
// The label of a change: "п. 5.4 (было 5.3)" for a renumbered part, else the part's.
QString changeLabel(const Edition& older, const Edition& newer, const PartChange& change);

} // namespace ComparisonPage
