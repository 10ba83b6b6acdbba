#pragma once

#include "matching/pdfmarks.h"

#include <QObject>
#include <QString>
#include <QStringList>

class QTimer;
class QWebEnginePage;

// Shows a PDF document in the viewer's page with pdf.js (Debian's libjs-pdf), run in the
// program's own script world: a page of our own is loaded, pdf.js draws the document's
// pages into it and marks the occurrences given, each numbered as in a highlighted copy (so
// stepping through them is the same). The document's own scripts never run.
class PdfPresenter final : public QObject
{
    Q_OBJECT
public:
    struct Marks
    {
        PdfMarks::Found found;
        QString backColor; // "#rrggbb"
    };

    PdfPresenter(QWebEnginePage* page, QObject* parent);

    // The page that shows a PDF, written into folder; its path, empty when it cannot be.
    static QString writeShell(const QString& folder);
    // Whether pdf.js is installed.
    static bool isAvailable();

    // The shell page has loaded: the document at path is shown in it, marked, scrolled to y.
    void present(const QString& path, const Marks& marks, int scrollY);
    // Nothing is being shown any more (another page loads).
    void stop();
    // Draws every page of the document shown (for printing); allDrawn answers once they all
    // are.
    void drawAll();

signals:
    // The document is laid out and marked: its marked occurrences; failed when pdf.js could
    // not read it (a message is shown in the page).
    void presented(int marks, bool failed);
    void allDrawn();

private:
    static const QString& scripts();
    void poll();

    QWebEnginePage* m_page;
    QTimer* m_poll;
    quint64 m_generation = 0; // of the latest request: older answers are let go
    bool m_drawing = false;
};
