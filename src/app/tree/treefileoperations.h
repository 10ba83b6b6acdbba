#pragma once

#include "library/documentcopy.h"

#include <optional>

class QTreeWidgetItem;
class QWidget;

// Deleting and copying what a node of the document tree stands for, with the questions and
// messages they need.
namespace TreeFileOperations {

// Removes the node's folder with everything in it, or its document's file (its picture folder
// and a read-only file stay), then the node; what is still there keeps its node.
void deleteNode(QTreeWidgetItem* node);
// Asks for the target folder (the chooser opens in startFolder) and plans the copy of the
// node; each file the copy would replace is replaced only when the user agrees (replace,
// skip, replace all, cancel). None when the user cancelled or the copy cannot be made (the
// user is told why).
std::optional<DocumentCopy> planCopy(const QTreeWidgetItem* node, QWidget* dialogParent,
                                     const QString& startFolder = QString());
// Plans and runs the copy on this thread behind a progress window; false when cancelled or
// when something could not be copied.
bool copyNode(const QTreeWidgetItem* node, QWidget* dialogParent);

} // namespace TreeFileOperations
