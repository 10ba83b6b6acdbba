#pragma once

#include "library/nodekind.h"
#include "matching/matchoptions.h"
#include "search/showncopy.h"
#include "settings/appsettings.h"
#include "support/latestwork.h"

#include <QString>
#include <QUrl>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <utility>

class DocumentPage;
class DocumentStructure;
class NormCatalog;
class WindowCommands;
class OccurrenceNavigator;
class PageFindBar;
class PdfParts;
class PdfPresenter;
class QPoint;
class QTimer;
class QWebEngineView;

// The right pane: the web view that shows the selected node (a document, a folder's page, or
// in search mode the document's highlighted copy), at the chosen zoom. After a highlighted
// copy has loaded, its first occurrence is selected and scrolled into view; the occurrences
// are stepped through from there. It has its own menu (copy, select all, back and forward,
// find on the page, print, save as PDF) and hands followed links to the window.
class DocumentViewer final : public QWidget
{
    Q_OBJECT
public:
    // How the shown document's occurrences are marked: the search's context and options.
    using Highlighting = ShownCopy::Marking;

    // workSlot: which working folders its copies go to; a viewer beside the first has its own.
    explicit DocumentViewer(QWidget* parent, int workSlot = 0);
    ~DocumentViewer() override;

    QWebEngineView* view() const { return m_view; }
    DocumentPage* page() const { return m_page; }
    OccurrenceNavigator* occurrences() const { return m_occurrences; }
    PageFindBar* pageFindBar() const { return m_findBar; }

    // While documents are not shown (the document pane is hidden) the viewer stays blank.
    void setShowDocuments(bool show) { m_showDocuments = show; }
    bool showsDocuments() const { return m_showDocuments; }
    // The folders whose files links and redirects may show.
    void setAllowedFolders(const QStringList& folders);
    bool isAllowedFile(const QString& path) const;

    // Shows what a node of the tree stands for (kind as the tree's node records number it):
    // a document its file, a folder its page, anything else nothing. With highlighting (search
    // mode) a document shows its highlighted copy. caption: the node's caption, the default
    // name of a printed or saved page; title: the node's place, told on with shownChanged.
    void showNode(NodeKind kind, const QString& path, const QString& caption,
                  const QString& title = QString(),
                  const std::optional<Highlighting>& highlighting = std::nullopt);
    void showBlank();
    // Shows nothing, and forgets what was shown (its occurrences too).
    void clear();
    // The highlighted copy shown: its marked occurrences (-1 when no copy is shown) and those
    // left in its markup.
    int shownMarks() const { return m_shownMarks; }
    int shownInMarkup() const { return m_shownInMarkup; }
    // The document (not its copy) shown; empty when none.
    QString shownDocument() const { return m_shownDocument; }
    // The parts of the page shown (none for a PDF, a folder's page, or nothing shown).
    std::shared_ptr<const DocumentStructure> shownStructure() const { return m_structure; }
    // The part of the page shown being read: the last whose start is scrolled past the top
    // (-1 above the first, or without parts).
    int readingPart() const { return m_readingPart; }
    // Scrolls the page shown to its part (an index of shownStructure()).
    void showPart(int part);

    // The zoom applied to every page as it loads; applied to the shown one at once.
    void setZoomFactor(double factor);
    // The element a followed link points at, scrolled to once the next page has loaded.
    void setPendingAnchor(const QString& anchor) { m_pendingAnchor = anchor; }
    // The vertical scroll position of the page shown (the page's pixels, whatever the zoom),
    // and one to go to once the next page has loaded.
    double scrollPosition() const;
    void setPendingScroll(int y) { m_pendingScroll = y; }
    // Scrolls the page shown to y (the page's pixels, whatever the zoom).
    void scrollTo(int y);
    // Text selected by the page's own find once the next page has loaded (a mention).
    void setPendingFind(const QString& text) { m_pendingFind = text; }
    // The part (as a reader names it: "п. 5.2.3") shown when the document at path is shown
    // next; where it has no such part, it is shown at its top and the status bar says so.
    void setPendingPart(const QString& path, const QString& part) { m_pendingPart = {path, part}; }
    // Shows the part of the document shown named so, or says it has none.
    void showPartNamed(const QString& part);
    // Which documents the designations of a shown document name: with it, each designation
    // is a link in the shown copy (one the library does not hold is marked apart).
    void setNormCatalog(std::shared_ptr<const NormCatalog> catalog)
    {
        m_catalog = std::move(catalog);
    }

    // Selects the first occurrence of context by the page's own find, or (text mode) the
    // copy's first numbered occurrence; inPageFindFinished answers.
    void findInPage(const QString& context, bool matchCase);
    void selectFirstOccurrence();
    // How many in-page finds have selected an occurrence, and have been asked for.
    int inPageFindCount() const { return m_inPageFindCount; }
    int inPageFindRequests() const { return m_inPageFindRequests; }
    // The next (+1) or previous (-1) occurrence of the highlighted copy.
    void stepOccurrence(int direction);

    void openPageFind();
    void printDocument();
    // Writes the shown page as PDF, with the user's usual file permissions and without the
    // search's marks unless printMarks; the answer comes with pdfSaved.
    void saveAsPdf(const QString& path);
    // Whether printing and saving as PDF keep the search's marks ("с выделением найденного").
    void setPrintMarks(bool marks) { m_printMarks = marks; }
    bool printMarks() const { return m_printMarks; }
    // The viewer's commands: find on the page, and the keys that step through occurrences
    // anywhere in window.
    void attachCommands(WindowCommands* commands, QWidget* window);
    // Whether the menu's "Назад" and "Вперёд" can act.
    void setHistoryAvailable(bool back, bool forward);

    // Past this size a document's highlighted copy is made apart from the window's thread.
    static constexpr qint64 LargeDocument = 4 * 1024 * 1024;

signals:
    // The user followed a link to a document of the library (or to a folder's page: path is
    // then the folder): its node is to be shown, and then the anchor (setPendingAnchor)
    // scrolled to.
    void libraryDocumentRequested(const QString& path, const QString& anchor);
    // An in-page find has answered; found when it selected an occurrence.
    void inPageFindFinished(bool found);
    void pdfSaved(const QString& path, bool ok);
    // A note for the status bar, for a moment.
    void statusNote(const QString& note);
    // A line for the status bar (a saved PDF).
    void statusMessage(const QString& text);
    // What is shown, for the title panel: the node's title, the marked occurrences of its
    // highlighted copy (-1 while none is shown; a large document's copy, made apart from the
    // window, comes later with its counts) and those left in its markup.
    void shownChanged(const QString& title, int marks, int inMarkup);
    void backRequested();
    // The user followed a link to a place of the document shown; from: where the page was
    // scrolled to before (the page's pixels).
    void jumpedWithin(int from);
    void forwardRequested();
    // The user followed the link of a designation (as written).
    void designationRequested(const QString& designation);
    // The user followed the link of a part of another document ("п. 5.2.3 СП 48.13330.2019").
    void partOfNormRequested(const QString& designation, const QString& part);
    // The user followed the link of a part of a document ("lectoria-part:", a comparison's
    // page): the document at path, at its part (empty: its top).
    void documentPartRequested(const QString& path, const QString& part);
    // The link followed now is to open in a new tab (a middle click or Ctrl+click): told
    // before the signal of the link itself.
    void newTabWanted();
    // The page shown has other parts (shownStructure), or none.
    void structureChanged();
    // Another part is being read (readingPart).
    void readingPartChanged(int part);

private:
    // A large document's copy, made apart, is shown when it is ready.
    void showMadeCopy(const ShownCopy::Made& made);
    void installHighlightColours();
    void pageLoaded(bool ok);
    void showFile(const QString& path);
    // A page is asked for: it is loading, and its place is not yet reported.
    void startLoading();
    // A PDF document: pdf.js shows it in a page of our own, its occurrences marked.
    void showPdf(const QString& path);
    void pdfPresented(int marks, bool failed);
    // Whether the page shown is a PDF document.
    bool showsPdf() const;
    // Hides the search's marks from the printer (or shows them again), then calls then.
    void showMarksInPrint(bool show, const std::function<void()>& then = {});
    void showMenu(const QPoint& at);
    // A link of the shown page: web addresses go to the desktop, a document of the library
    // to the window, anything else nowhere (with a note).
    void followLink(const QUrl& url);
    bool isLibraryDocument(const QString& path) const;
    // The save dialog of "Сохранить как PDF…", in the folder saved to last.
    void askForPdf();
    // The caption of the shown node, made fit for a file name.
    QString fileNameCaption() const;
    void setStructure(std::shared_ptr<const DocumentStructure> structure);
    // Asks the page which part is being read, and tells it on when it changed.
    void updateReadingPart();
    void markReadingPart(int part);
    // Scrolls the element of the page shown with that id (or name) into view.
    void scrollToAnchor(QString anchor);

    const int m_workSlot;
    QWebEngineView* m_view = nullptr;
    DocumentPage* m_page = nullptr; // owned by the view
    PageFindBar* m_findBar = nullptr;
    OccurrenceNavigator* m_occurrences = nullptr;
    PdfPresenter* m_pdf = nullptr;
    PdfParts* m_pdfParts = nullptr;
    QString m_pendingPdf; // presented once its page has loaded
    QUrl m_pdfShell;
    QUrl m_shownUrl;            // the page's address, to tell a jump within it
    double m_settledScroll = 0; // where the page has rested last (not while it moves)
    // Where a page just loaded is scrolled to (the page's pixels), until it reports a move.
    double m_trackedScroll = 0;
    bool m_scrollReported = true;
    QTimer* m_scrollSettle = nullptr;
    QTimer* m_readingCheck = nullptr;
    std::shared_ptr<const DocumentStructure> m_structure;
    int m_readingPart = -1;
    bool m_showDocuments = true;
    double m_zoomFactor = 1.0;
    std::optional<Highlighting> m_highlighting; // of the node shown, in search mode
    int m_shownMarks = -1;
    int m_shownInMarkup = 0;
    QString m_shownDocument;
    QString m_caption;
    QString m_title;
    QString m_pendingAnchor;
    QString m_pendingFind;
    std::pair<QString, QString> m_pendingPart; // the document and its part asked for
    QString m_partToShow; // of the document being shown, until its parts are known
    int m_pendingScroll = 0;
    std::shared_ptr<const NormCatalog> m_catalog;
    int m_inPageFindCount = 0;
    int m_inPageFindRequests = 0;
    bool m_canGoBack = false;
    bool m_loading = false; // a page asked for and not yet loaded
    bool m_canGoForward = false;
    QString m_pdfFolder; // where the last PDF went
    bool m_printMarks = false;
    bool m_followingInNewTab = false;
    // Large documents' copies, made apart; only the latest node's is shown. Last: it ends
    // before the rest goes.
    LatestWork<ShownCopy::Made> m_copyMaker{this};
};
