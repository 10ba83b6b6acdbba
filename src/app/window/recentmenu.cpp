#include "window/recentmenu.h"

#include "platform/platform.h"
#include "settings/appsettings.h"
#include "support/placeaction.h"

#include <QAction>
#include <QMenu>
#include <QToolButton>

RecentMenu::RecentMenu(AppSettings* settings, QWidget* parent)
    : QObject(parent), m_settings(settings)
{
    m_button = new QToolButton(parent);
    m_button->setObjectName(QStringLiteral("recentButton"));
    m_button->setText(QStringLiteral("Недавние"));
    m_button->setToolTip(QStringLiteral("Последние показанные документы"));
    m_button->setPopupMode(QToolButton::InstantPopup);
    m_button->setAutoRaise(true);
    m_menu = new QMenu(m_button);
    m_menu->setObjectName(QStringLiteral("recentMenu"));
    m_menu->setToolTipsVisible(true);
    m_button->setMenu(m_menu);
    connect(m_menu, &QMenu::aboutToShow, this, &RecentMenu::fillMenu);
}

void RecentMenu::recordShown(const QString& path, const QString& label)
{
    RecentDocuments recent = m_settings->recentDocuments();
    // Written only when the list changes: most shows are of the document shown last.
    if (recent.shown(path, label) && !m_settings->setRecentDocuments(recent))
        emit statusNote(QStringLiteral("Список недавних документов не удалось сохранить в файле "
                                       "настроек"));
}

void RecentMenu::fillMenu()
{
    m_menu->clear();
    const RecentDocuments recent = m_settings->recentDocuments();
    for (const RecentDocuments::Item& item : recent.items()) {
        QAction* action =
            addPlaceAction(m_menu, item.label, item.path, Platform::isFile(item.path));
        const QString path = item.path;
        connect(action, &QAction::triggered, this, [this, path] { emit openRequested(path); });
    }
    if (recent.size() == 0)
        m_menu->addAction(QStringLiteral("Список пуст: здесь будут показанные документы"))
            ->setEnabled(false);
    m_menu->addSeparator();
    m_menu->addAction(QStringLiteral("Очистить список"), this, &RecentMenu::clear)
        ->setEnabled(recent.size() > 0);
}

void RecentMenu::clear()
{
    if (!m_settings->setRecentDocuments(RecentDocuments()))
        emit statusNote(QStringLiteral("Список недавних документов не удалось сохранить в файле "
                                       "настроек"));
}
