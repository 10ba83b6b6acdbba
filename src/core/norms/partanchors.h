#pragma once

#include "norms/documentstructure.h"

#include <QByteArray>
#include <QString>

// The places of a page's parts marked in its copy, so that the viewer can show a part and
// tell which one is being read: an empty anchor "lectoria-part-N" (N the part's index in the
// structure) just before each part's first character.
namespace PartAnchors {

QString idOf(int part);
// The part an anchor's id names; -1 for another id.
int partOf(const QString& id);
// page with its parts' anchors; structure must be the page's own (its units are the page's).
QByteArray anchored(const QByteArray& page, const DocumentStructure& structure);

} // namespace PartAnchors
