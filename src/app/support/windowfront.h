#pragma once

#include <QList>
#include <QRect>

class QWidget;

// Bringing a window of the program back to its user.
namespace WindowFront {

// Shows window as its user left it: a minimised window comes back in its former state, size
// and place; a window no screen shows in full is moved (and if need be shrunk) onto the
// screen that shows most of it. Then it is raised and activated.
void bringBack(QWidget* window);

// Where a window whose frame is frame belongs, given the available areas of the screens
// (the first is the primary screen): frame itself when the areas hold it whole.
QRect placeOnScreens(const QRect& frame, const QList<QRect>& areas);

} // namespace WindowFront
