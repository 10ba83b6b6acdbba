#pragma once

#include "window/mainwindow.h"

#include <QTest>

#include <memory>

// The main window started as the program starts it, after its first activation; null when
// it never became active.
inline std::unique_ptr<MainWindow> startWindow(const QString& programFile)
{
    auto form = std::make_unique<MainWindow>(programFile);
    form->resize(1000, 700);
    form->show();
    if (!QTest::qWaitForWindowActive(form.get()))
        return nullptr;
    return form;
}
