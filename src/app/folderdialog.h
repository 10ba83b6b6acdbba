#pragma once

#include <QString>

#include <functional>

class QWidget;

// The folder browser of the program. Tests install a chooser that answers in its place.
namespace FolderDialog {

using Chooser = std::function<QString(const QString& caption)>;
void setChooser(Chooser chooser);

// The folder the user picked; empty when the dialog was cancelled.
QString choose(QWidget* parent, const QString& caption);

} // namespace FolderDialog
