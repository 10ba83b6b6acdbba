#pragma once

#include <QStatusBar>

class QLabel;

// The window's status bar: a line of text, notes that show for a moment and give the line
// back, and at its right what the index holds.
class StatusLine final : public QStatusBar
{
    Q_OBJECT
public:
    explicit StatusLine(QWidget* parent);

    QString text() const { return currentMessage(); }
    void setText(const QString& text);
    // A note for a moment; the text it covers comes back unless something replaced it.
    void showNote(const QString& note);
    void setIndexState(const QString& text);

private:
    QLabel* m_indexLabel = nullptr;
};
