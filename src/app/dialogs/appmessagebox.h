#pragma once

#include <QMessageBox>
#include <QString>

// Every message box of the program is built here: caption, text, icon and buttons. The box is
// shown through UserInteraction, so tests answer it in the user's place.
namespace AppMessageBox {

// Shows a modal box with the normal arrow cursor and returns the button chosen.
QMessageBox::StandardButton show(QWidget* parent, const QString& caption, const QString& text,
                                 QMessageBox::Icon icon = QMessageBox::Warning,
                                 QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                 QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

// Routes the support classes' messages to exclamation boxes with an OK button.
void installForSupportClasses();

} // namespace AppMessageBox
