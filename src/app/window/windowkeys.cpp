#include "window/windowkeys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWidget>

WindowKeys::WindowKeys(QWidget* window, QWidget* viewer, QWidget* tree,
                       std::function<bool()> hasOccurrences)
    : QObject(window), m_window(window), m_viewer(viewer), m_tree(tree),
      m_hasOccurrences(std::move(hasOccurrences))
{
    qApp->installEventFilter(this);
}

WindowKeys::~WindowKeys()
{
    qApp->removeEventFilter(this);
}

bool WindowKeys::eventFilter(QObject* watched, QEvent* event)
{
    if (!watched->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (event->type() == QEvent::MouseButtonPress && widget->window() == m_window) {
        // The mouse's own back and forward buttons go through the nodes shown.
        const Qt::MouseButton button = static_cast<QMouseEvent*>(event)->button();
        if (button == Qt::BackButton || button == Qt::ForwardButton) {
            button == Qt::BackButton ? emit backRequested() : emit forwardRequested();
            return true;
        }
    }
    if (event->type() == QEvent::Wheel && (widget == m_viewer || m_viewer->isAncestorOf(widget))) {
        const auto* wheel = static_cast<QWheelEvent*>(event);
        if (wheel->modifiers() & Qt::ControlModifier) {
            if (wheel->angleDelta().y() != 0)
                emit zoomStepRequested(wheel->angleDelta().y() > 0 ? 1 : -1);
            return true;
        }
    }
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* keyEvent = static_cast<QKeyEvent*>(event);
    const int key = keyEvent->key();
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    const QWidget* focus = QApplication::focusWidget();
    // Enter in the viewer steps through the occurrences of the shown copy.
    if (enter && widget == focus && m_viewer->isAncestorOf(widget) && m_hasOccurrences()) {
        emit stepRequested(keyEvent->modifiers() & Qt::ShiftModifier ? -1 : 1);
        return true;
    }
    // The zoom keys of every reader, the page's own zoom aside.
    const Qt::KeyboardModifiers modifiers =
        keyEvent->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier);
    // Taken where they are pressed, so that the page never sees them.
    if (modifiers == Qt::ControlModifier && widget->window() == m_window &&
        (widget == focus || (!focus && widget == m_window))) {
        if (key == Qt::Key_Plus || key == Qt::Key_Equal) {
            emit zoomStepRequested(1);
            return true;
        }
        if (key == Qt::Key_Minus || key == Qt::Key_Underscore) {
            emit zoomStepRequested(-1);
            return true;
        }
        if (key == Qt::Key_0) {
            emit zoomResetRequested();
            return true;
        }
    }
    // Seen once per key: at the focused control of this window (or the window itself).
    // At the control only as the user pressed it: the browser hands a key it did not use
    // back as a new event, which would run the command a second time (help shown twice).
    if (widget->window() != m_window ||
        !((widget == focus && event->spontaneous()) || (!focus && widget == m_window)))
        return false;
    switch (key) {
    case Qt::Key_Escape: {
        // Where the user is: the focused control (the window's own when no window is active,
        // as without a window manager).
        const QWidget* where =
            widget == m_window && m_window->focusWidget() ? m_window->focusWidget() : widget;
        if (where == m_window || where == m_tree || m_tree->isAncestorOf(where) ||
            where == m_viewer || m_viewer->isAncestorOf(where))
            emit closeRequested();
        break;
    }
    case Qt::Key_F1:
        emit helpRequested();
        break;
    case Qt::Key_F3:
        emit findBoxRequested();
        break;
    case Qt::Key_F5:
        emit documentPaneToggled();
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        emit enterPressed(widget);
        break;
    default:
        break;
    }
    return false;
}
