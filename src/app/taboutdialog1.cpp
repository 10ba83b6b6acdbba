#include "taboutdialog1.h"

#include "appversion.h"
#include "pictures.h"
#include "wmessage.h"

#include <QDesktopServices>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
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

QString TAboutDialog1::versionLine(const QString& versionText)
{
    const QString date = versionText.right(6); // YYMMDD
    return QStringLiteral("Версия ") + versionText + QStringLiteral("  от ") + date.mid(4, 2) +
           u'-' + date.mid(2, 2) + QStringLiteral("-20") + date.left(2) + QStringLiteral("г.");
}

TAboutDialog1::TAboutDialog1(const QString& versionText, const QString& helpFolder,
                             const QString& settingsFile, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutDialog1"));
    setWindowTitle(QStringLiteral("О программе"));

    Panel3 = new QLabel(QStringLiteral("Просмотр нормативной документации"), this);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Panel3->setAlignment(Qt::AlignCenter);
    Panel3->setAutoFillBackground(true);
    // 10841658 is 0x00A56E3A: red 0x3A, green 0x6E, blue 0xA5.
    Panel3->setStyleSheet(QStringLiteral("QLabel { background: #3a6ea5; color: silver; "
                                         "font-family: Arial; font-size: 20px; font-weight: bold; "
                                         "font-style: italic; padding: 8px; }"));

    Image6 = new QLabel(this);
    Image6->setObjectName(QStringLiteral("Image6"));
    Image6->setPixmap(Pictures::logo(48));
    Image6->setFixedSize(48, 48);

    VersionLabel1 = new QLabel(versionLine(versionText), this);
    VersionLabel1->setObjectName(QStringLiteral("VersionLabel1"));
    QFont italic = VersionLabel1->font();
    italic.setItalic(true);
    VersionLabel1->setFont(italic);
    BuildLabel1 = new QLabel(QStringLiteral("Сборка ") + AppVersion::build(), this);
    BuildLabel1->setObjectName(QStringLiteral("BuildLabel1"));
    BuildLabel1->setVisible(!AppVersion::build().isEmpty());
    UserLabel1 = new QLabel(this);
    UserLabel1->setObjectName(QStringLiteral("UserLabel1"));

    GroupBox1 = new QGroupBox(this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto* maker = new QLabel(QStringLiteral("Lectoria — программа просмотра нормативной "
                                            "документации"),
                             GroupBox1);
    maker->setWordWrap(true);
    const QString helpUrl = QUrl::fromLocalFile(helpFolder).toString();
    InternetLabel1 = linkLabel(GroupBox1, QStringLiteral("InternetLabel1"), helpUrl);
    Label12 = linkLabel(GroupBox1, QStringLiteral("Label12"), QStringLiteral("Папка справки"));
    EMailLabel1 = linkLabel(GroupBox1, QStringLiteral("EMailLabel1"), QString());
    EMailLabel1->setVisible(false); // the project has no mail address of its own
    // An installed program keeps each user's settings in the user's own folder: say which.
    SettingsLabel1 = new QLabel(QStringLiteral("Файл настроек: ") + settingsFile, GroupBox1);
    SettingsLabel1->setObjectName(QStringLiteral("SettingsLabel1"));
    SettingsLabel1->setTextFormat(Qt::PlainText);
    SettingsLabel1->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* group = new QVBoxLayout(GroupBox1);
    group->addWidget(maker);
    group->addWidget(Label12);
    group->addWidget(InternetLabel1);
    group->addWidget(EMailLabel1);
    group->addWidget(SettingsLabel1);
    for (QLabel* label : {InternetLabel1, Label12, EMailLabel1})
        label->installEventFilter(this);

    BitBtn1 = new QPushButton(QStringLiteral("Закрыть"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);

    auto* info = new QVBoxLayout;
    info->addWidget(VersionLabel1);
    info->addWidget(BuildLabel1);
    info->addWidget(UserLabel1);
    auto* top = new QHBoxLayout;
    top->addWidget(Image6, 0, Qt::AlignTop);
    top->addLayout(info, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Panel3);
    layout->addLayout(top);
    layout->addWidget(GroupBox1);
    layout->addWidget(BitBtn1, 0, Qt::AlignRight);
    setFixedSize(sizeHint().expandedTo(QSize(420, 300)));
}

bool TAboutDialog1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        if (watched == InternetLabel1 || watched == Label12)
            InternetLabel1Click();
        else if (watched == EMailLabel1)
            EMailLabel1Click();
    }
    return QDialog::eventFilter(watched, event);
}

bool TAboutDialog1::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate)
        FormActivate();
    return QDialog::event(event);
}

void TAboutDialog1::FormActivate()
{
    UserLabel1->setText(QStringLiteral("Пользователь: ") + WMessage().ComputerName());
}

void TAboutDialog1::InternetLabel1Click()
{
    QDesktopServices::openUrl(QUrl(InternetLabel1->text()));
}

void TAboutDialog1::EMailLabel1Click()
{
    if (!EMailLabel1->text().isEmpty())
        QDesktopServices::openUrl(QUrl(QStringLiteral("mailto:") + EMailLabel1->text()));
}

void TAboutDialog1::keyReleaseEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape)
        reject();
    QDialog::keyReleaseEvent(event);
}
