#pragma once

#include "appmessagebox.h"
#include "folderdialog.h"

#include <QApplication>
#include <QStringList>
#include <QTest>

// Message boxes and folder dialogs of the window tests: every box is recorded and answered
// at once, every folder dialog answered from a queue (cancelled when it is empty).
struct TestAnswers
{
    QStringList messages; // "caption|text"
    QMessageBox::StandardButton button = QMessageBox::Ok;
    QStringList folders;

    static TestAnswers& instance()
    {
        static TestAnswers answers;
        return answers;
    }
    static void reset() { instance() = TestAnswers(); }
    static void install()
    {
        AppMessageBox::setAnswerer([](const AppMessageBox::Request& request) {
            instance().messages.append(request.caption + u'|' + request.text);
            return instance().button;
        });
        FolderDialog::setChooser([](const QString&) {
            return instance().folders.isEmpty() ? QString() : instance().folders.takeFirst();
        });
    }
};

// The main of a window test: the embedded browser needs shared GL contexts before the
// application object exists, and no real message box may block a test.
#define LECTORIA_APP_TEST_MAIN(TestClass)                                                          \
    int main(int argc, char* argv[])                                                               \
    {                                                                                              \
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);                                \
        QApplication application(argc, argv);                                                      \
        AppMessageBox::installForSupportClasses();                                                 \
        TestAnswers::install();                                                                    \
        TestClass test;                                                                            \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
