#pragma once

#include <QApplication>

// The hourglass for the lifetime of the object, restored also when an error escapes.
class WaitCursor
{
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor()
    {
        // A message box shown meanwhile may already have restored the arrow.
        if (QApplication::overrideCursor())
            QApplication::restoreOverrideCursor();
    }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};
