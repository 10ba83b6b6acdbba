#pragma once

#include <QApplication>

// The application object: an exception that escapes an event handler is shown in the
// standard message and the program goes on.
class Application final : public QApplication
{
    Q_OBJECT
public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

    static void showException(const QString& message);
    // Qt's own texts (standard buttons, the folder chooser, the fields' menus) in Russian, and
    // Russian dates and numbers in them; false when Qt's Russian translations are missing.
    static bool installRussianTexts();
};
