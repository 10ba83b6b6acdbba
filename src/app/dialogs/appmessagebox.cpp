#include "dialogs/appmessagebox.h"

#include "dialogs/userinteraction.h"
#include "platform/messagereporter.h"

#include <QApplication>
#include <QSplashScreen>

QMessageBox::StandardButton AppMessageBox::show(QWidget* parent, const QString& caption,
                                                const QString& text, QMessageBox::Icon icon,
                                                QMessageBox::StandardButtons buttons,
                                                QMessageBox::StandardButton defaultButton)
{
    // A message during a long operation is shown with the normal arrow.
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    // The splash stays on top of every window: a message during the start would be hidden.
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (qobject_cast<QSplashScreen*>(window))
            window->hide();
    }
    return UserInteraction::current().answer(parent, {caption, text, icon, buttons, defaultButton});
}

void AppMessageBox::installForSupportClasses()
{
    MessageReporter::setHandler([](const QString& caption, const QString& text) {
        show(QApplication::activeWindow(), caption, text);
    });
}
