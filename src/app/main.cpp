#include "appmessagebox.h"
#include "environment.h"
#include "platform.h"
#include "tapplication.h"
#include "tform1.h"
#include "tsplashform.h"
#include "tsqlerrordialog1.h"

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

    TApplication application(argc, argv);
    // Asked to end by the system or the desktop session: the windows close as their user
    // closes them, so the settings are kept and the working copies removed.
    bool endRequested = false;
    TForm1* mainWindow = nullptr;
    Platform::onTerminationRequest(&application, [&endRequested, &mainWindow] {
        endRequested = true;
        if (mainWindow)
            mainWindow->close();         // stops a search or a copy first
        QApplication::closeAllWindows(); // open dialogs too
        QCoreApplication::quit();
    });
    AppMessageBox::installForSupportClasses();
    try {
        auto* splash = new TSplashForm;
        splash->showNow();
        TForm1 form(QString(), splash);
        mainWindow = &form;
        if (form.terminateRequested())
            return 0; // the running instance has been brought forward
        TSQLErrorDialog1 sqlErrorDialog(&form);
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
        TApplication::showException(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        TApplication::showException(QString());
    }
    return 0;
}
