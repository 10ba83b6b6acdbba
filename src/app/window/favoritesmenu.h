#pragma once

#include "favorites.h"

#include <QObject>

class QMenu;
class QToolButton;
class QWidget;

// The "Избранное" button and its menu: the reader's documents and folders to open at once,
// kept in the settings file across restarts and collection switches.
class FavoritesMenu final : public QObject
{
    Q_OBJECT
public:
    FavoritesMenu(const QString& settingsFile, QWidget* parent);

    QToolButton* button() const { return m_button; }
    QMenu* menu() const { return m_menu; }
    const Favorites& favorites() const { return m_favorites; }
    // Adds a document or folder with its label; a status note says what happened.
    void add(const QString& path, const QString& label);
    // The list in its dialog: put in order, relabelled, cleaned.
    void edit();

signals:
    void openRequested(const QString& path);
    void statusNote(const QString& note);

private:
    void fillMenu();

    QString m_settingsFile;
    Favorites m_favorites;
    QToolButton* m_button = nullptr;
    QMenu* m_menu = nullptr;
};
