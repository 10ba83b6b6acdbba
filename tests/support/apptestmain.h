#pragma once

#include "appmessagebox.h"

#include <QApplication>
#include <QTest>

// The main of a window test: the embedded browser needs shared GL contexts before the
// application object exists, and no real message box may block a test.
#define LECTORIA_APP_TEST_MAIN(TestClass)                                                          \
    int main(int argc, char* argv[])                                                               \
    {                                                                                              \
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);                                \
        QApplication application(argc, argv);                                                      \
        AppMessageBox::installForSupportClasses();                                                 \
        TestClass test;                                                                            \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
