#pragma once

#include <QSplashScreen>

// The borderless loading picture shown at start and during every full rebuild.
class SplashScreen final : public QSplashScreen
{
    Q_OBJECT
public:
    SplashScreen();
    // Shows the splash and paints it at once.
    void showNow();
};
