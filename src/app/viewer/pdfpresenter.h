#pragma once

#include "matching/pdfmarks.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <functional>

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
        QString first;     // with nothing to mark: text whose first place is shown (a mention)
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

    // Once presented: places links over the text layer, each {page, text, href, title, kind}
    // found on its page after the one before (a JSON array).
    void addLinks(const QByteArray& links);
    // The file's own bookmarks, each {title, page, top, depth}, in order.
    void askOutline(std::function<void(const QVariantList&)> answer);
    // The page at the top of the view, from 1.
    void askPageAtTop(std::function<void(int)> answer);
    // Shows the line of page that begins with number, else the page's top.
    void showPart(int page, const QString& number);

signals:
    // The document is laid out and marked: its marked occurrences; failed when pdf.js could
    // not read it (a message is shown in the page).
    void presented(int marks, bool failed);
    void allDrawn();

private:
    static const QString& scripts();
    // Runs script in the page; answer is given its value unless another document is asked
    // for meanwhile.
    void ask(const QString& script, std::function<void(const QVariant&)> answer);
    void poll();

    QWebEnginePage* m_page;
    QTimer* m_poll;
    quint64 m_generation = 0; // of the latest request: older answers are let go
    bool m_drawing = false;
};
