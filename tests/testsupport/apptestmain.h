#pragma once

#include "dialogs/appmessagebox.h"
#include "dialogs/userinteraction.h"

#include <QApplication>
#include <QStringList>
#include <QTest>

#include <functional>

// The user of the window tests: every message box is recorded and answered at once, every
// folder dialog answered from a queue (cancelled when it is empty), every modal dialog run by
// the test's own function.
class TestAnswers final : public UserInteraction
{
public:
    QStringList messages; // "caption|text"
    QMessageBox::StandardButton button = QMessageBox::Ok;
    QStringList folders;
    std::function<int(QDialog&)> dialogs;

    QMessageBox::StandardButton answer(QWidget*, const Message& message) override
    {
        messages.append(message.caption + u'|' + message.text);
        return button;
    }
    QString chooseFolder(QWidget*, const QString&, const QString&) override
    {
        return folders.isEmpty() ? QString() : folders.takeFirst();
    }
    int run(QDialog& dialog) override
    {
        return dialogs ? dialogs(dialog) : UserInteraction::run(dialog);
    }

    static TestAnswers& instance()
    {
        static TestAnswers answers;
        return answers;
    }
    static void reset()
    {
        TestAnswers& answers = instance();
        answers.messages.clear();
        answers.button = QMessageBox::Ok;
        answers.folders.clear();
        answers.dialogs = nullptr;
    }
    static void install() { UserInteraction::install(&instance()); }
    // Modal dialogs from now on are run by run (its result is the dialog's result code).
    static void runDialogsWith(std::function<int(QDialog&)> run)
    {
        instance().dialogs = std::move(run);
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
