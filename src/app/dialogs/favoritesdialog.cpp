#include "dialogs/favoritesdialog.h"

#include <QDir>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

FavoritesDialog::FavoritesDialog(const Favorites& favorites, QWidget* parent)
    : QDialog(parent), m_favorites(favorites)
{
    setObjectName(QStringLiteral("favoritesDialog"));
    setWindowTitle(QStringLiteral("Избранное"));
    resize(560, 360);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("favoritesList"));
    const auto button = [this](const QString& name, const QString& text) {
        auto* made = new QPushButton(text, this);
        made->setObjectName(name);
        made->setAutoDefault(false);
        return made;
    };
    QPushButton* rename = button(QStringLiteral("renameButton"), QStringLiteral("Переименовать…"));
    QPushButton* remove = button(QStringLiteral("removeButton"), QStringLiteral("Удалить"));
    QPushButton* up = button(QStringLiteral("upButton"), QStringLiteral("Выше"));
    QPushButton* down = button(QStringLiteral("downButton"), QStringLiteral("Ниже"));
    QPushButton* close = button(QStringLiteral("closeButton"), QStringLiteral("Закрыть"));
    close->setDefault(true);
    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {rename, remove, up, down})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);

    connect(rename, &QPushButton::clicked, this, [this] {
        const int row = m_list->currentRow();
        if (row < 0)
            return;
        bool ok = false;
        const QString label = QInputDialog::getText(
            this, QStringLiteral("Переименовать"), QStringLiteral("Название в избранном:"),
            QLineEdit::Normal, m_favorites.items().at(row).label, &ok);
        if (ok)
            renameSelected(label);
    });
    connect(remove, &QPushButton::clicked, this, &FavoritesDialog::removeSelected);
    connect(up, &QPushButton::clicked, this, [this] { moveSelected(-1); });
    connect(down, &QPushButton::clicked, this, [this] { moveSelected(1); });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    fill(0);
}

void FavoritesDialog::fill(int selected)
{
    m_list->clear();
    for (const Favorites::Item& item : m_favorites.items()) {
        const bool there = Favorites::exists(item);
        auto* row = new QListWidgetItem(
            there ? item.label : item.label + QStringLiteral(" — нет на месте"), m_list);
        row->setToolTip(QDir::toNativeSeparators(item.path));
        if (!there)
            row->setForeground(Qt::gray);
    }
    if (m_list->count() > 0)
        m_list->setCurrentRow(qBound(0, selected, m_list->count() - 1));
}

void FavoritesDialog::renameSelected(const QString& label)
{
    const int row = m_list->currentRow();
    m_favorites.rename(row, label);
    fill(row);
}

void FavoritesDialog::removeSelected()
{
    const int row = m_list->currentRow();
    m_favorites.remove(row);
    fill(row);
}

void FavoritesDialog::moveSelected(int step)
{
    const int row = m_list->currentRow();
    m_favorites.move(row, step);
    fill(row + step);
}
