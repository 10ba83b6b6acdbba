#pragma once

#include "library/nodekind.h"

#include <QString>
#include <QStringList>

// What the window and the search know of a node of the document tree: a value, so that no
// part outside the tree reaches into its items.
struct TreeNode
{
    // False for no node at all (then every other value is empty).
    bool exists = false;
    // The collection's root: the first node of the tree, which stands for no file.
    bool isRoot = false;
    NodeKind kind = NodeKind::None;
    QString path; // a document's file or a folder's path; empty for the root
    // The captions from the root's down to the node's own, as the tree shows them.
    QStringList captions;

    QString caption() const { return captions.isEmpty() ? QString() : captions.last(); }
    // The captions joined by "->", as the title panel shows the node.
    QString title() const { return captions.join(QStringLiteral("->")); }
    // A folder or a document of the collection: what the commands on a node act on.
    bool isBelowRoot() const { return exists && !isRoot; }
};
