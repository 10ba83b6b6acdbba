#include "window/favoritesmenu.h"

#include "dialogs/favoritesdialog.h"
#include "dialogs/userinteraction.h"
#include "settings/appsettings.h"
#include "support/placeaction.h"

#include <QAction>
#include <QMenu>
#include <QToolButton>

FavoritesMenu::FavoritesMenu(AppSettings* settings, QWidget* parent)
    : QObject(parent), m_settings(settings)
{
    m_button = new QToolButton(parent);
    m_button->setObjectName(QStringLiteral("favoritesButton"));
    m_button->setText(QStringLiteral("Избранное"));
    m_button->setToolTip(QStringLiteral("Избранные документы и папки (добавить: Ctrl+D)"));
    m_button->setPopupMode(QToolButton::InstantPopup);
    m_button->setAutoRaise(true);
    m_menu = new QMenu(m_button);
    m_menu->setObjectName(QStringLiteral("favoritesMenu"));
    m_button->setMenu(m_menu);
    connect(m_menu, &QMenu::aboutToShow, this, &FavoritesMenu::fillMenu);
}

void FavoritesMenu::fillMenu()
{
    m_menu->clear();
    const Favorites favorites = m_settings->favorites();
    for (const Favorites::Item& item : favorites.items()) {
        QAction* action = addPlaceAction(m_menu, item.label, item.path, Favorites::exists(item));
        const QString path = item.path;
        connect(action, &QAction::triggered, this, [this, path] { emit openRequested(path); });
    }
    if (favorites.size() == 0)
        m_menu->addAction(QStringLiteral("Список пуст: Ctrl+D добавляет показанный документ"))
            ->setEnabled(false);
    m_menu->addSeparator();
    m_menu->addAction(QStringLiteral("Упорядочить избранное…"), this, &FavoritesMenu::edit)
        ->setEnabled(favorites.size() > 0);
}

void FavoritesMenu::add(const QString& path, const QString& label)
{
    if (path.isEmpty())
        return;
    Favorites favorites = m_settings->favorites();
    if (!favorites.add(path, label)) {
        emit statusNote(QStringLiteral("Уже в избранном: ") + label);
        return;
    }
    if (!m_settings->setFavorites(favorites)) {
        emit statusNote(QStringLiteral("Избранное не удалось сохранить в файле настроек"));
        return;
    }
    emit statusNote(QStringLiteral("Добавлено в избранное: ") + label);
}

void FavoritesMenu::edit()
{
    FavoritesDialog dialog(m_settings->favorites(), m_button->window());
    UserInteraction::current().run(dialog);
    if (!m_settings->setFavorites(dialog.favorites()))
        emit statusNote(QStringLiteral("Избранное не удалось сохранить в файле настроек"));
}
