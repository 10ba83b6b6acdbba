#pragma once

#include "library/favorites.h"

#include <QDialog>

class QListWidget;
class QPushButton;

// "Избранное": the reader's list to put in order, relabel and clean of what is gone.
class FavoritesDialog final : public QDialog
{
    Q_OBJECT
public:
    FavoritesDialog(const Favorites& favorites, QWidget* parent = nullptr);

    const Favorites& favorites() const { return m_favorites; }
    QListWidget* list() const { return m_list; }
    // The selected item: renamed, removed, moved one place up or down.
    void renameSelected(const QString& label);
    void removeSelected();
    void moveSelected(int step);

private:
    void fill(int selected);

    Favorites m_favorites;
    QListWidget* m_list = nullptr;
};
