#pragma once

#include <QSplashScreen>

// The borderless loading picture shown at start and during every full rebuild.
class TSplashForm final : public QSplashScreen
{
    Q_OBJECT
public:
    TSplashForm();
    // Shows the splash and paints it at once.
    void showNow();
};
