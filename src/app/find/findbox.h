#pragma once

#include <QComboBox>

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

signals:
    // Enter was pressed in the box.
    void searchRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
