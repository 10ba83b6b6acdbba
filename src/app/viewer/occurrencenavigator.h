#pragma once

#include <QObject>

class QWebEnginePage;

// Steps through the marked occurrences of the highlighted copy shown in the viewer: the
// current one is made the page's selection and scrolled into view. In text mode an
// occurrence's marks carry its number; otherwise each mark of the copy is one (the page's
// colour script signs them).
class OccurrenceNavigator final : public QObject
{
    Q_OBJECT
public:
    explicit OccurrenceNavigator(QObject* parent = nullptr) : QObject(parent) {}

    // A highlighted copy with count marked occurrences is loading in page.
    void reset(QWebEnginePage* page, int count, bool textMode);
    // No highlighted copy is shown.
    void clear();

    int count() const { return m_count; }
    // 1 for the first occurrence; 0 before one is selected.
    int current() const { return m_current; }

    // Selects occurrence index (1-based) of the page.
    void select(int index);
    // The next (+1) or previous (-1) occurrence, round from the last to the first.
    void step(int direction);
    // The page's own find selected the occurrence: the count goes on from there.
    void setCurrent(int index);

signals:
    void changed(int current, int count);
    // Stepping went round the end (forward) or the start (back).
    void wrapped(bool forward);
    void selectionDone(bool selected);

private:
    QWebEnginePage* m_page = nullptr;
    int m_count = 0;
    int m_current = 0;
    bool m_textMode = false;
};
