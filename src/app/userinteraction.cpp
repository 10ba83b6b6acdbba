#include "userinteraction.h"

#include <QDialog>
#include <QFileDialog>

namespace {
UserInteraction*& installed()
{
    static UserInteraction* interaction = nullptr;
    return interaction;
}
} // namespace

QMessageBox::StandardButton UserInteraction::answer(QWidget* parent, const Message& message)
{
    QMessageBox box(message.icon, message.caption, message.text, message.buttons, parent);
    box.setWindowModality(Qt::ApplicationModal);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

QString UserInteraction::chooseFolder(QWidget* parent, const QString& caption)
{
    return QFileDialog::getExistingDirectory(parent, caption, QString(), QFileDialog::ShowDirsOnly);
}

int UserInteraction::run(QDialog& dialog)
{
    const int result = dialog.exec();
    // Not every desktop gives the activation back to the dialog's window by itself.
    if (QWidget* owner = dialog.parentWidget())
        owner->window()->activateWindow();
    return result;
}

UserInteraction& UserInteraction::current()
{
    static UserInteraction real;
    return installed() ? *installed() : real;
}

void UserInteraction::install(UserInteraction* interaction)
{
    installed() = interaction;
}
