#pragma once

#include <QMessageBox>
#include <QString>

class QDialog;
class QWidget;

// Everything the program asks of its user: message boxes, folder choices and modal dialogs.
// The program asks through current(); tests install their own interaction that answers in the
// user's place. This is the one place where tests take over the user's part.
class UserInteraction
{
public:
    struct Message
    {
        QString caption;
        QString text;
        QMessageBox::Icon icon = QMessageBox::Warning;
        QMessageBox::StandardButtons buttons = QMessageBox::Ok;
        // The button Enter chooses; none: the box's own choice.
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    };

    UserInteraction() = default;
    virtual ~UserInteraction() = default;
    UserInteraction(const UserInteraction&) = delete;
    UserInteraction& operator=(const UserInteraction&) = delete;

    // Shows a modal message box; the button chosen.
    virtual QMessageBox::StandardButton answer(QWidget* parent, const Message& message);
    // The folder the user picked; empty when the choice was cancelled.
    // startFolder: where the chooser opens (its own choice when empty).
    virtual QString chooseFolder(QWidget* parent, const QString& caption,
                                 const QString& startFolder);
    // The file a document is saved as; empty when the dialog was cancelled.
    virtual QString chooseSaveFile(QWidget* parent, const QString& caption,
                                   const QString& suggested, const QString& filter,
                                   const QString& suffix);
    // The existing file the user picked (a document to compare with); empty when cancelled.
    virtual QString chooseOpenFile(QWidget* parent, const QString& caption,
                                   const QString& startFolder, const QString& filter);
    // Runs a modal dialog; its result code.
    virtual int run(QDialog& dialog);

    // The interaction in use: the real one unless another has been installed.
    static UserInteraction& current();
    // Makes interaction the current one (not owned; it must outlive its use); null brings
    // back the real one.
    static void install(UserInteraction* interaction);
};
