#pragma once

#include <QDialog>

class QGroupBox;
class QLabel;
class QPushButton;

// "О программе": the program's name, version and build, the user's computer, the folder of the
// guide and the settings file in use.
class TAboutDialog1 final : public QDialog
{
    Q_OBJECT
public:
    TAboutDialog1(const QString& versionText, const QString& helpFolder,
                  const QString& settingsFile, QWidget* parent = nullptr);

    QLabel* Panel3 = nullptr;
    QLabel* Image6 = nullptr;
    QLabel* VersionLabel1 = nullptr;
    QLabel* BuildLabel1 = nullptr; // what Git said of the sources; hidden when nothing
    QLabel* UserLabel1 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QLabel* InternetLabel1 = nullptr;
    QLabel* Label12 = nullptr;
    QLabel* EMailLabel1 = nullptr;
    QLabel* SettingsLabel1 = nullptr;
    QPushButton* BitBtn1 = nullptr;

    // "Версия 1.20.240226  от 26-02-2024г." from the version text.
    static QString versionLine(const QString& versionText);
    void FormActivate();
    void InternetLabel1Click();
    void EMailLabel1Click();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
};
