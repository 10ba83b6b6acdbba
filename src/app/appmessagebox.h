#pragma once

#include <QMessageBox>
#include <QString>

#include <functional>

// Every message box of the program is built here: caption, text, icon and buttons.
// Tests install an answerer that records the request and picks the button.
namespace AppMessageBox {

struct Request
{
    QString caption;
    QString text;
    QMessageBox::Icon icon;
    QMessageBox::StandardButtons buttons;
};
using Answerer = std::function<QMessageBox::StandardButton(const Request&)>;

void setAnswerer(Answerer answerer);

// Shows a modal box with the normal arrow cursor and returns the button chosen.
QMessageBox::StandardButton show(QWidget* parent, const QString& caption, const QString& text,
                                 QMessageBox::Icon icon = QMessageBox::Warning,
                                 QMessageBox::StandardButtons buttons = QMessageBox::Ok);

// Routes the support classes' messages to exclamation boxes with an OK button.
void installForSupportClasses();

} // namespace AppMessageBox
