#pragma once

#include <QComboBox>
#include <QList>

class QAction;

// The find box: the text to search for, with the history of searches in its list. A search
// starts from Enter or from an entry chosen in the open list; the arrow keys and the wheel
// only move through the history.
class FindBox final : public QComboBox
{
    Q_OBJECT
public:
    explicit FindBox(QWidget* parent);

    // The history, most recent first; the text is left empty.
    void setHistory(const QStringList& history);
    QStringList history() const;
    // 205 pixels wide where there is room, narrower in a narrow window.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    // An action of the box's menu, after the editing ones.
    void addMenuAction(QAction* action) { m_menuActions.append(action); }

signals:
    // Enter was pressed in the box.
    void searchRequested();
    // Esc was pressed in the box (its list closed).
    void escapePressed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showMenu(const QPoint& at);

    QList<QAction*> m_menuActions;
};
