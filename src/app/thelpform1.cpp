#include "thelpform1.h"

#include "windowfront.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QScreen>
#include <QStyle>
#include <QTextBrowser>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

QToolButton* toolButton(QWidget* parent, const QString& name, QStyle::StandardPixmap icon,
                        const QString& text, const QString& hint)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setIcon(parent->style()->standardIcon(icon));
    button->setText(text);
    button->setToolTip(hint);
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

} // namespace

THelpForm1::THelpForm1(QWidget* owner) : QWidget(owner, Qt::Window)
{
    setObjectName(QStringLiteral("HelpForm1"));
    setWindowTitle(QStringLiteral("Справка — Просмотр нормативной документации"));

    HomeButton1 = toolButton(this, QStringLiteral("HomeButton1"), QStyle::SP_DirHomeIcon,
                             QStringLiteral("Содержание"), QStringLiteral("В начало справки"));
    BackButton1 = toolButton(this, QStringLiteral("BackButton1"), QStyle::SP_ArrowBack,
                             QStringLiteral("Назад"), QStringLiteral("Назад (Alt+Влево)"));
    ForwardButton1 = toolButton(this, QStringLiteral("ForwardButton1"), QStyle::SP_ArrowForward,
                                QStringLiteral("Вперёд"), QStringLiteral("Вперёд (Alt+Вправо)"));
    HelpBrowser1 = new QTextBrowser(this);
    HelpBrowser1->setObjectName(QStringLiteral("HelpBrowser1"));
    HelpBrowser1->setOpenExternalLinks(true); // addresses on the web go to the desktop's browser
    HelpBrowser1->setFocus();                 // the reading keys work at once

    connect(HomeButton1, &QToolButton::clicked, HelpBrowser1, &QTextBrowser::home);
    connect(BackButton1, &QToolButton::clicked, HelpBrowser1, &QTextBrowser::backward);
    connect(ForwardButton1, &QToolButton::clicked, HelpBrowser1, &QTextBrowser::forward);
    connect(HelpBrowser1, &QTextBrowser::backwardAvailable, BackButton1, &QWidget::setEnabled);
    connect(HelpBrowser1, &QTextBrowser::forwardAvailable, ForwardButton1, &QWidget::setEnabled);
    BackButton1->setEnabled(false);
    ForwardButton1->setEnabled(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(HomeButton1);
    buttons->addWidget(BackButton1);
    buttons->addWidget(ForwardButton1);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(buttons);
    layout->addWidget(HelpBrowser1);

    // At the first opening: beside the owner's middle, as large as the screen allows.
    QSize size(860, 700);
    if (const QScreen* screen = owner ? owner->screen() : nullptr) {
        size = size.boundedTo(screen->availableGeometry().size() * 9 / 10);
        resize(size);
        move(screen->availableGeometry().center() - rect().center());
    } else {
        resize(size);
    }
}

THelpForm1* THelpForm1::open(QWidget* owner, const QString& file)
{
    if (!QFileInfo(file).isFile())
        return nullptr;
    auto* help =
        owner ? owner->findChild<THelpForm1*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
    if (!help) { // shown again, it keeps the page its reader left it at
        help = new THelpForm1(owner);
        help->HelpBrowser1->setSource(QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath()));
    }
    WindowFront::bringBack(help);
    return help;
}

void THelpForm1::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}
