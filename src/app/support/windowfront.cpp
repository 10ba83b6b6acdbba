#include "support/windowfront.h"

#include <QGuiApplication>
#include <QRegion>
#include <QScreen>
#include <QWidget>

QRect WindowFront::placeOnScreens(const QRect& frame, const QList<QRect>& areas)
{
    if (areas.isEmpty())
        return frame;
    QRegion shown;
    for (const QRect& area : areas)
        shown += area;
    if (QRegion(frame).subtracted(shown).isEmpty())
        return frame;
    // The screen that shows most of it; the primary one when none shows any.
    QRect best = areas.first();
    qint64 bestShown = 0;
    for (const QRect& area : areas) {
        const QRect common = area.intersected(frame);
        const qint64 size = qint64(common.width()) * common.height();
        if (size > bestShown) {
            best = area;
            bestShown = size;
        }
    }
    QRect placed(frame.topLeft(), frame.size().boundedTo(best.size()));
    placed.moveLeft(qBound(best.left(), placed.left(), best.right() - placed.width() + 1));
    placed.moveTop(qBound(best.top(), placed.top(), best.bottom() - placed.height() + 1));
    return placed;
}

void WindowFront::bringBack(QWidget* window)
{
    const Qt::WindowStates state = window->windowState() & ~Qt::WindowMinimized;
    window->setWindowState(state);
    if (!(state & (Qt::WindowMaximized | Qt::WindowFullScreen))) {
        QList<QRect> areas;
        if (const QScreen* primary = QGuiApplication::primaryScreen())
            areas.append(primary->availableGeometry());
        for (const QScreen* screen : QGuiApplication::screens()) {
            if (screen != QGuiApplication::primaryScreen())
                areas.append(screen->availableGeometry());
        }
        const QRect frame = window->frameGeometry();
        const QRect placed = placeOnScreens(frame, areas);
        if (placed != frame) {
            window->resize(window->size() - (frame.size() - placed.size()));
            window->move(placed.topLeft());
        }
    }
    window->show();
    window->raise();
    window->activateWindow();
}
