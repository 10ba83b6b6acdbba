#include "dialogs/helpwindow.h"

#include "dialogs/guidebrowser.h"
#include "support/windowfront.h"

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

HelpWindow::HelpWindow(QWidget* owner) : QWidget(owner, Qt::Window)
{
    setObjectName(QStringLiteral("helpWindow"));
    setWindowTitle(QStringLiteral("Справка — Просмотр нормативной документации"));

    m_homeButton = toolButton(this, QStringLiteral("homeButton"), QStyle::SP_DirHomeIcon,
                              QStringLiteral("Содержание"), QStringLiteral("В начало справки"));
    m_backButton = toolButton(this, QStringLiteral("backButton"), QStyle::SP_ArrowBack,
                              QStringLiteral("Назад"), QStringLiteral("Назад (Alt+Влево)"));
    m_forwardButton = toolButton(this, QStringLiteral("forwardButton"), QStyle::SP_ArrowForward,
                                 QStringLiteral("Вперёд"), QStringLiteral("Вперёд (Alt+Вправо)"));
    m_browser = new GuideBrowser(this);
    m_browser->setObjectName(QStringLiteral("browser"));
    m_browser->setOpenExternalLinks(true); // addresses on the web go to the desktop's browser
    m_browser->setFocus();                 // the reading keys work at once

    connect(m_homeButton, &QToolButton::clicked, m_browser, &QTextBrowser::home);
    connect(m_backButton, &QToolButton::clicked, m_browser, &QTextBrowser::backward);
    connect(m_forwardButton, &QToolButton::clicked, m_browser, &QTextBrowser::forward);
    connect(m_browser, &QTextBrowser::backwardAvailable, m_backButton, &QWidget::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, m_forwardButton, &QWidget::setEnabled);
    m_backButton->setEnabled(false);
    m_forwardButton->setEnabled(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_homeButton);
    buttons->addWidget(m_backButton);
    buttons->addWidget(m_forwardButton);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(buttons);
    layout->addWidget(m_browser);

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

HelpWindow* HelpWindow::open(QWidget* owner, const QString& file, const QString& section)
{
    if (!QFileInfo(file).isFile())
        return nullptr;
    auto* help =
        owner ? owner->findChild<HelpWindow*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
    if (!help) { // shown again, it keeps the page its reader left it at
        help = new HelpWindow(owner);
        const QFileInfo guide(file);
        help->m_browser->setGuideFolder(guide.absolutePath());
        help->m_browser->setSource(QUrl::fromLocalFile(guide.absoluteFilePath()));
    }
    if (!section.isEmpty()) {
        QUrl at = QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath());
        at.setFragment(section);
        help->m_browser->setSource(at);
    }
    WindowFront::bringBack(help);
    return help;
}

void HelpWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}
