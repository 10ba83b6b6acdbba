#include "dialogs/appmessagebox.h"
#include "dialogs/splashscreen.h"
#include "dialogs/tableerrordialog.h"
#include "platform/platform.h"
#include "support/environment.h"
#include "window/application.h"
#include "window/mainwindow.h"

#include <QApplication>
#include <QLoggingCategory>
#include <QScreen>

#include <cstdio>
#include <exception>

int main(int argc, char* argv[])
{
    const QString noDisplay = Environment::missingDisplayMessage();
    if (!noDisplay.isEmpty()) {
        std::fprintf(stderr, "%s\n", noDisplay.toLocal8Bit().constData());
        return 1;
    }
    Environment::prepareWebEngine();
    QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext=false"));
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);

    Application application(argc, argv);
    // Asked to end by the system or the desktop session: the windows close as their user
    // closes them, so the settings are kept and the working copies removed.
    bool endRequested = false;
    MainWindow* mainWindow = nullptr;
    Platform::onTerminationRequest(&application, [&endRequested, &mainWindow] {
        endRequested = true;
        if (mainWindow)
            mainWindow->close();         // stops a search or a copy first
        QApplication::closeAllWindows(); // open dialogs too
        QCoreApplication::quit();
    });
    AppMessageBox::installForSupportClasses();
    try {
        auto* splash = new SplashScreen;
        splash->showNow();
        MainWindow form(QString(), splash);
        mainWindow = &form;
        if (form.terminateRequested())
            return 0; // the running instance has been brought forward
        TableErrorDialog tableErrorDialog(&form);
        // Without a window manager "maximised" means nothing: take the screen's work area.
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            form.setGeometry(screen->availableGeometry());
        if (endRequested) { // while the window was being made
            form.close();
            return 0;
        }
        form.showMaximized();
        form.activateWindow(); // the first activation completes the start
        QObject::connect(&application, &QGuiApplication::commitDataRequest, &form,
                         [&form] { form.close(); });
        application.exec();
    } catch (const std::exception& error) {
        Application::showException(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        Application::showException(QString());
    }
    return 0;
}
