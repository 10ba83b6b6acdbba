#pragma once

#include <QWidget>

class QPushButton;
class QToolButton;

// The row below the top one: "Открыть", back and forward, the favourites' button, and the
// title panel, which takes the rest of the row.
class SecondRow final : public QWidget
{
    Q_OBJECT
public:
    // The buttons and the title panel become the row's children.
    SecondRow(const QList<QToolButton*>& buttons, QWidget* titlePanel, QWidget* parent);

    QPushButton* openButton() const { return m_openButton; }

private:
    QPushButton* m_openButton;
};
