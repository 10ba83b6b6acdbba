#pragma once

#include "tform1.h"

#include <QTest>

#include <memory>

// The main window started as the program starts it, after its first activation; null when
// it never became active.
inline std::unique_ptr<TForm1> startWindow(const QString& programFile)
{
    auto form = std::make_unique<TForm1>(programFile);
    form->resize(1000, 700);
    form->show();
    if (!QTest::qWaitForWindowActive(form.get()))
        return nullptr;
    return form;
}
