#include "dialogs/userinteraction.h"

#include <QDialog>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QIdentityProxyModel>
#include <QLocale>

namespace {

// The folder chooser's dates as the program's (Russian) locale writes them: Qt writes them as
// the system's locale does, which may be another language.
class RussianDates final : public QIdentityProxyModel
{
public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant data(const QModelIndex& index, int role) const override
    {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (files && role == Qt::DisplayRole && index.column() == 3)
            return QLocale().toString(files->lastModified(mapToSource(index)),
                                      QLocale::ShortFormat);
        return QIdentityProxyModel::data(index, role);
    }
};

UserInteraction*& installed()
{
    static UserInteraction* interaction = nullptr;
    return interaction;
}
} // namespace

QMessageBox::StandardButton UserInteraction::answer(QWidget* parent, const Message& message)
{
    QMessageBox box(message.icon, message.caption, message.text, message.buttons, parent);
    if (message.defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(message.defaultButton);
    box.setWindowModality(Qt::ApplicationModal);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

QString UserInteraction::chooseFolder(QWidget* parent, const QString& caption,
                                      const QString& startFolder)
{
    // Qt's own dialog: the desktop's may speak the system's language.
    QFileDialog dialog(parent, caption, startFolder);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOptions(QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    dialog.setProxyModel(new RussianDates(&dialog));
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

QString UserInteraction::chooseSaveFile(QWidget* parent, const QString& caption,
                                        const QString& suggested, const QString& filter,
                                        const QString& suffix)
{
    // Qt's own dialog, with the program's Russian dates, as the folder chooser.
    QFileDialog dialog(parent, caption, suggested, filter);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(suffix);
    dialog.setProxyModel(new RussianDates(&dialog));
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

QString UserInteraction::chooseOpenFile(QWidget* parent, const QString& caption,
                                        const QString& startFolder, const QString& filter)
{
    QFileDialog dialog(parent, caption, startFolder, filter);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setProxyModel(new RussianDates(&dialog));
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
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
