#pragma once

#include "library/nodekind.h"

#include <QString>

#include <functional>

// Which file the viewer shows for a node of the document tree.
namespace ShownFile {

// Makes the highlighted copy of a document; its path, or empty when none can be had.
using CopyMaker = std::function<QString(const QString& document)>;

// A document shows its file, a folder its folder page; anything else shows nothing (empty).
// In search mode a document that exists shows its highlighted copy instead, or the document
// itself when no copy can be had (no private working folder): the text must stay readable.
QString forNode(NodeKind kind, const QString& path, bool searchMode = false,
                const CopyMaker& makeCopy = {});

} // namespace ShownFile
