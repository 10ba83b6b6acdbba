#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;
class QRadioButton;

// Chooses between the suite's own normative documents and an external directory.
class TSelectDirDialog1 final : public QDialog
{
    Q_OBJECT
public:
    explicit TSelectDirDialog1(QWidget* parent = nullptr);

    // The directory the dialog returns; empty for the suite's own documents.
    QString ChosenDirectory;
    void setChosenDirectory(const QString& directory);

    QLabel* Image1 = nullptr;
    QRadioButton* ZebNormDocRadioButton1 = nullptr;
    QRadioButton* VneshNormDocRadioButton1 = nullptr;
    QPushButton* SelectDirButton1 = nullptr;
    QLabel* SelectDirPanel1 = nullptr;
    QPushButton* OkButton1 = nullptr;
    QPushButton* CancelButton1 = nullptr;
    QPushButton* HelpButton1 = nullptr;

    void UpdateDialogControls();
    void SelectDirButton1Click();
    void OkButton1Click();
    void HelpButton1Click() {}

protected:
    bool event(QEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
};
