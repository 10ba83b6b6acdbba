#include "tsplashform.h"

#include "pictures.h"

#include <QApplication>
#include <QScreen>

TSplashForm::TSplashForm() : QSplashScreen(Pictures::splash(), Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("SplashForm"));
    setFixedSize(151, 84);
}

void TSplashForm::showNow()
{
    if (const QScreen* screen = QApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
    show();
    repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
