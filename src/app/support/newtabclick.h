#pragma once

#include <QEvent>
#include <QMouseEvent>
#include <QTreeWidget>

// A press that asks for a list's row in a new tab, as a browser's link does: the middle button,
// or the left one with Ctrl. The row pressed on, or null for any other event.
inline QTreeWidgetItem* newTabClickRow(const QTreeWidget* list, const QObject* watched,
                                       const QEvent* event)
{
    if (watched != list->viewport() || event->type() != QEvent::MouseButtonPress)
        return nullptr;
    const auto* mouse = static_cast<const QMouseEvent*>(event);
    const bool newTab =
        mouse->button() == Qt::MiddleButton ||
        (mouse->button() == Qt::LeftButton && mouse->modifiers().testFlag(Qt::ControlModifier));
    return newTab ? list->itemAt(mouse->position().toPoint()) : nullptr;
}
