#pragma once

#include <QString>

#include <functional>

// Which file the viewer shows for a node of the document tree.
namespace ShownFile {

// Numbered as the kinds of the tree's node records.
enum class NodeKind : quint8
{
    None = 0, // no node, the root or an expansion stub
    Document = 1,
    Folder = 2
};

// Makes the highlighted copy of a document; its path, or empty when none can be had.
using CopyMaker = std::function<QString(const QString& document)>;

// A document shows its file, a folder its folder page; anything else shows nothing (empty).
// In search mode a document that exists shows its highlighted copy instead, or the document
// itself when no copy can be had (no private working folder): the text must stay readable.
QString forNode(NodeKind kind, const QString& path, bool searchMode = false,
                const CopyMaker& makeCopy = {});

} // namespace ShownFile
