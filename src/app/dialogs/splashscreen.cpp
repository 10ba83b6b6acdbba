#include "dialogs/splashscreen.h"

#include "support/pictures.h"

#include <QApplication>
#include <QScreen>

SplashScreen::SplashScreen() : QSplashScreen(Pictures::splash(), Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("splashScreen"));
    setFixedSize(151, 84);
}

void SplashScreen::showNow()
{
    if (const QScreen* screen = QApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
    show();
    repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
