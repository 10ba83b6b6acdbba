#pragma once

#include "search/normcatalog.h"

#include <QWidget>

class DocumentViewer;
class OccurrenceNavigator;
class QLabel;
class QToolButton;

// What the viewer shows, above it: the path of captions of the shown node with the count of
// the highlighted copy's occurrences, and the buttons that step through them with the
// counter "3 из 17" (hidden when no highlighted copy is shown).
class TitlePanel final : public QWidget
{
    Q_OBJECT
public:
    // The panel follows what viewer shows, and its buttons step through viewer's occurrences.
    TitlePanel(DocumentViewer* viewer, QWidget* parent);

    // title: the node's path of captions. marks: the copy's marked occurrences, -1 when no
    // highlighted copy is shown; inMarkup: those left in its markup.
    void setTitle(const QString& title, int marks, int inMarkup);
    // What the library holds beside the shown document, each note with a link.
    void setNormNotes(const QList<NormCatalog::Note>& notes);
    QLabel* normNote() const { return m_normNote; }
    // The whole title (the panel may show it shortened).
    QString text() const;

    QLabel* titleLabel() const { return m_title; }
    QToolButton* previousButton() const { return m_previous; }
    QToolButton* nextButton() const { return m_next; }
    QLabel* occurrenceLabel() const { return m_counter; }

signals:
    // +1 for the next occurrence, -1 for the previous one.
    void stepRequested(int direction);
    // The user followed a note's designation (as written).
    void designationRequested(const QString& designation);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void updateCounter();
    void showFitted();

    OccurrenceNavigator* m_occurrences;
    QLabel* m_title = nullptr;
    QLabel* m_normNote = nullptr;
    QString m_fullText;
    QToolButton* m_previous = nullptr;
    QLabel* m_counter = nullptr;
    QToolButton* m_next = nullptr;
};
