#pragma once

#include <QDialog>

class QGroupBox;
class QLabel;
class QPushButton;

// "О программе": the program's name, version and build, the user's computer, the folder of the
// guide and the settings file in use.
class AboutDialog final : public QDialog
{
    Q_OBJECT
public:
    AboutDialog(const QString& versionText, const QString& helpFolder, const QString& settingsFile,
                QWidget* parent = nullptr);

    QLabel* versionLabel() const { return m_versionLabel; }
    QLabel* buildLabel() const { return m_buildLabel; }
    QLabel* userLabel() const { return m_userLabel; }
    QLabel* settingsLabel() const { return m_settingsLabel; }
    QPushButton* okButton() const { return m_okButton; }

    // "Версия 1.20.240226  от 26-02-2024г." from the version text.
    static QString versionLine(const QString& versionText);
    void fillOnActivation();
    void openWebSite();
    void writeEmail();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    QLabel* m_titleLabel = nullptr;
    QLabel* m_logo = nullptr;
    QLabel* m_versionLabel = nullptr;
    QLabel* m_buildLabel = nullptr; // what Git said of the sources; hidden when nothing
    QLabel* m_userLabel = nullptr;
    QGroupBox* m_contactsBox = nullptr;
    QLabel* m_webSiteLabel = nullptr;
    QLabel* m_emailCaption = nullptr;
    QLabel* m_emailLabel = nullptr;
    QLabel* m_settingsLabel = nullptr;
    QPushButton* m_okButton = nullptr;
};
