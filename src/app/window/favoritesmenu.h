#pragma once

#include "library/favorites.h"

#include <QObject>

class AppSettings;
class QMenu;
class QToolButton;
class QWidget;

// The "Избранное" button and its menu: the reader's documents and folders to open at once,
// kept in the settings file across restarts and collection switches.
class FavoritesMenu final : public QObject
{
    Q_OBJECT
public:
    FavoritesMenu(AppSettings* settings, QWidget* parent);

    QToolButton* button() const { return m_button; }
    QMenu* menu() const { return m_menu; }
    // Adds a document or folder with its label; a status note says what happened.
    void add(const QString& path, const QString& label);
    // The list in its dialog: put in order, relabelled, cleaned.
    void edit();

signals:
    void openRequested(const QString& path);
    void statusNote(const QString& note);

private:
    void fillMenu();

    AppSettings* m_settings;
    QToolButton* m_button = nullptr;
    QMenu* m_menu = nullptr;
};
