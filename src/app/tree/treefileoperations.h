#pragma once

#include "documentcopy.h"

#include <optional>

class QTreeWidgetItem;
class QWidget;

// Deleting and copying what a node of the document tree stands for, with the questions and
// messages they need.
namespace TreeFileOperations {

// Removes the node's folder with everything in it, or its document's file (its picture folder
// and a read-only file stay), then the node; what is still there keeps its node.
void deleteNode(QTreeWidgetItem* node);
// Asks for the target folder and plans the copy of the node; none when the user cancelled or
// the copy cannot be made (the user is told why).
std::optional<DocumentCopy> planCopy(const QTreeWidgetItem* node, QWidget* dialogParent);
// Plans and runs the copy on this thread behind a progress window; false when cancelled or
// when something could not be copied.
bool copyNode(const QTreeWidgetItem* node, QWidget* dialogParent);

} // namespace TreeFileOperations
