#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;
class QRadioButton;

// Chooses between the suite's own normative documents and an external directory.
class LibraryFolderDialog final : public QDialog
{
    Q_OBJECT
public:
    explicit LibraryFolderDialog(QWidget* parent = nullptr);

    QString chosenDirectory() const { return m_chosenDirectory; }
    QRadioButton* suiteChoice() const { return m_suiteChoice; }
    QRadioButton* externalChoice() const { return m_externalChoice; }
    QPushButton* chooseFolderButton() const { return m_chooseFolderButton; }
    QLabel* folderLabel() const { return m_folderLabel; }
    QPushButton* okButton() const { return m_okButton; }

    // The directory the dialog returns; empty for the suite's own documents.
    void setChosenDirectory(const QString& directory);

    void updateControls();
    void chooseFolder();
    void acceptChoice();
    void showHelp() {}

protected:
    bool event(QEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    QString m_chosenDirectory;
    QLabel* m_logo = nullptr;
    QRadioButton* m_suiteChoice = nullptr;
    QRadioButton* m_externalChoice = nullptr;
    QPushButton* m_chooseFolderButton = nullptr;
    QLabel* m_folderLabel = nullptr;
    QPushButton* m_okButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
    QPushButton* m_helpButton = nullptr;
};
