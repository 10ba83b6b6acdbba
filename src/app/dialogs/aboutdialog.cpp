#include "dialogs/aboutdialog.h"

#include "platform/systeminfo.h"
#include "support/appversion.h"
#include "support/pictures.h"

#include <QDate>
#include <QDesktopServices>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

QLabel* linkLabel(QWidget* parent, const QString& name, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setStyleSheet(QStringLiteral("QLabel { color: navy; text-decoration: underline; }"));
    label->setCursor(Qt::PointingHandCursor);
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace

QString AboutDialog::versionLine(const QString& versionText)
{
    // The build's date (the version's YYMMDD) as the Russian desktop writes dates.
    const QDate date =
        QDate::fromString(QStringLiteral("20") + versionText.right(6), QStringLiteral("yyyyMMdd"));
    return QStringLiteral("Версия ") + versionText + QStringLiteral("  от ") +
           QLocale(QLocale::Russian, QLocale::Russia).toString(date, QStringLiteral("dd.MM.yyyy"));
}

AboutDialog::AboutDialog(const QString& versionText, const QString& helpFolder,
                         const QString& settingsFile, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("aboutDialog"));
    setWindowTitle(QStringLiteral("О программе"));

    m_titleLabel = new QLabel(QStringLiteral("Просмотр нормативной документации"), this);
    m_titleLabel->setObjectName(QStringLiteral("titleLabel"));
    m_titleLabel->setAlignment(Qt::AlignCenter);
    m_titleLabel->setAutoFillBackground(true);
    // 10841658 is 0x00A56E3A: red 0x3A, green 0x6E, blue 0xA5.
    m_titleLabel->setStyleSheet(
        QStringLiteral("QLabel { background: #3a6ea5; color: silver; "
                       "font-family: Arial; font-size: 20px; font-weight: bold; "
                       "font-style: italic; padding: 8px; }"));

    m_logo = new QLabel(this);
    m_logo->setObjectName(QStringLiteral("logo"));
    m_logo->setPixmap(Pictures::logo(48));
    m_logo->setFixedSize(48, 48);

    m_versionLabel = new QLabel(versionLine(versionText), this);
    m_versionLabel->setObjectName(QStringLiteral("versionLabel"));
    QFont italic = m_versionLabel->font();
    italic.setItalic(true);
    m_versionLabel->setFont(italic);
    m_buildLabel = new QLabel(QStringLiteral("Сборка ") + AppVersion::build(), this);
    m_buildLabel->setObjectName(QStringLiteral("buildLabel"));
    m_buildLabel->setVisible(!AppVersion::build().isEmpty());
    m_userLabel = new QLabel(this);
    m_userLabel->setObjectName(QStringLiteral("userLabel"));

    m_contactsBox = new QGroupBox(this);
    m_contactsBox->setObjectName(QStringLiteral("contactsBox"));
    auto* maker = new QLabel(QStringLiteral("Lectoria — программа просмотра нормативной "
                                            "документации"),
                             m_contactsBox);
    maker->setWordWrap(true);
    const QString helpUrl = QUrl::fromLocalFile(helpFolder).toString();
    m_webSiteLabel = linkLabel(m_contactsBox, QStringLiteral("webSiteLabel"), helpUrl);
    m_emailCaption =
        linkLabel(m_contactsBox, QStringLiteral("emailCaption"), QStringLiteral("Папка справки"));
    m_emailLabel = linkLabel(m_contactsBox, QStringLiteral("emailLabel"), QString());
    m_emailLabel->setVisible(false); // the project has no mail address of its own
    // An installed program keeps each user's settings in the user's own folder: say which.
    m_settingsLabel = new QLabel(QStringLiteral("Файл настроек: ") + settingsFile, m_contactsBox);
    m_settingsLabel->setObjectName(QStringLiteral("settingsLabel"));
    m_settingsLabel->setTextFormat(Qt::PlainText);
    m_settingsLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* group = new QVBoxLayout(m_contactsBox);
    group->addWidget(maker);
    group->addWidget(m_emailCaption);
    group->addWidget(m_webSiteLabel);
    group->addWidget(m_emailLabel);
    group->addWidget(m_settingsLabel);
    auto* licence = new QLabel(
        QStringLiteral("Свободная программа: GNU General Public License версии 3 или более "
                       "поздней (GPL-3.0-or-later)."),
        m_contactsBox);
    licence->setObjectName(QStringLiteral("licenceLabel"));
    licence->setWordWrap(true);
    group->addWidget(licence);
    for (QLabel* label : {m_webSiteLabel, m_emailCaption, m_emailLabel})
        label->installEventFilter(this);

    m_okButton = new QPushButton(QStringLiteral("Закрыть"), this);
    m_okButton->setObjectName(QStringLiteral("okButton"));
    m_okButton->setDefault(true);
    connect(m_okButton, &QPushButton::clicked, this, &QDialog::accept);

    auto* info = new QVBoxLayout;
    info->addWidget(m_versionLabel);
    info->addWidget(m_buildLabel);
    info->addWidget(m_userLabel);
    auto* top = new QHBoxLayout;
    top->addWidget(m_logo, 0, Qt::AlignTop);
    top->addLayout(info, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_titleLabel);
    layout->addLayout(top);
    layout->addWidget(m_contactsBox);
    layout->addWidget(m_okButton, 0, Qt::AlignRight);
    setFixedSize(sizeHint().expandedTo(QSize(420, 300)));
}

bool AboutDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        if (watched == m_webSiteLabel || watched == m_emailCaption)
            openWebSite();
        else if (watched == m_emailLabel)
            writeEmail();
    }
    return QDialog::eventFilter(watched, event);
}

bool AboutDialog::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate)
        fillOnActivation();
    return QDialog::event(event);
}

void AboutDialog::fillOnActivation()
{
    m_userLabel->setText(QStringLiteral("Компьютер: ") + SystemInfo::computerName());
}

void AboutDialog::openWebSite()
{
    QDesktopServices::openUrl(QUrl(m_webSiteLabel->text()));
}

void AboutDialog::writeEmail()
{
    if (!m_emailLabel->text().isEmpty())
        QDesktopServices::openUrl(QUrl(QStringLiteral("mailto:") + m_emailLabel->text()));
}

void AboutDialog::keyReleaseEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape)
        reject();
    QDialog::keyReleaseEvent(event);
}
