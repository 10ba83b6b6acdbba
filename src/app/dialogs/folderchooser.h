#pragma once

#include <QString>

class QWidget;

// The folder browser of the program, shown through UserInteraction.
namespace FolderChooser {

// The folder the user picked; empty when the dialog was cancelled.
QString choose(QWidget* parent, const QString& caption, const QString& startFolder = QString());

} // namespace FolderChooser
