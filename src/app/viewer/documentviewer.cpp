#include "viewer/documentviewer.h"

#include "dialogs/appmessagebox.h"
#include "dialogs/userinteraction.h"
#include "library/documentlayout.h"
#include "library/filetree.h"
#include "library/shownfile.h"
#include "matching/highlightedcopy.h"
#include "matching/pdfmarks.h"
#include "norms/partaddress.h"
#include "norms/partanchors.h"
#include "platform/platform.h"
#include "platform/userworkdir.h"
#include "search/normcatalog.h"
#include "support/keybindings.h"
#include "support/windowcommands.h"
#include "viewer/documentpage.h"
#include "viewer/occurrencenavigator.h"
#include "viewer/pagefindbar.h"
#include "viewer/pdfparts.h"
#include "viewer/pdfpresenter.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScopedValueRollback>
#include <QStandardPaths>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEngineFindTextResult>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>

#include <cstdio>

namespace {

// Emptied and made again for every page shown; its path, or empty when there is none.
QString resetViewerWorkDir(int slot)
{
    const QString workDir = UserWorkDir::viewerWorkDir(slot);
    if (!workDir.isEmpty()) {
        Platform::removeTree(workDir);
        QDir().mkpath(workDir);
    }
    return workDir;
}

// A failed step ends only this find; it is written to standard error.
void reportFailedCheck(const char* check, int line)
{
    std::fprintf(stderr, "Tech1(%d): check failed: %s\n", line, check);
}

} // namespace

DocumentViewer::DocumentViewer(QWidget* parent, int workSlot)
    : QWidget(parent), m_workSlot(workSlot)
{
    setObjectName(QStringLiteral("viewerPane"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_view = new QWebEngineView(this);
    m_view->setObjectName(QStringLiteral("viewer"));
    m_page = new DocumentPage(m_view);
    m_view->setPage(m_page);
    installHighlightColours();
    m_findBar = new PageFindBar(m_page, this);
    layout->setSpacing(0);
    layout->addWidget(m_findBar);
    layout->addWidget(m_view, 1);
    m_occurrences = new OccurrenceNavigator(this);
    m_pdf = new PdfPresenter(m_page, this);
    connect(m_pdf, &PdfPresenter::presented, this, &DocumentViewer::pdfPresented);
    m_pdfParts = new PdfParts(m_pdf, this);
    connect(m_pdfParts, &PdfParts::structureChanged, this,
            [this] { setStructure(m_pdfParts->structure()); });
    connect(m_pdfParts, &PdfParts::statusNote, this, &DocumentViewer::statusNote);

    connect(m_view, &QWebEngineView::loadFinished, this, &DocumentViewer::pageLoaded);
    connect(m_page, &DocumentPage::linkActivated, this, &DocumentViewer::followLink);
    connect(m_page, &DocumentPage::linkActivatedInNewTab, this, [this](const QUrl& url) {
        const QScopedValueRollback inNewTab(m_followingInNewTab, true);
        followLink(url);
    });
    // A jump within the page (a link to one of its places) changes the address's fragment
    // alone; the place it left is where the page rested last.
    m_scrollSettle = new QTimer(this);
    m_scrollSettle->setSingleShot(true);
    m_scrollSettle->setInterval(250);
    connect(m_scrollSettle, &QTimer::timeout, this, [this] { m_settledScroll = scrollPosition(); });
    connect(m_page, &QWebEnginePage::scrollPositionChanged, m_scrollSettle,
            qOverload<>(&QTimer::start));
    // The part being read is asked for while the page moves, not at every step of it.
    m_readingCheck = new QTimer(this);
    m_readingCheck->setSingleShot(true);
    m_readingCheck->setInterval(120);
    connect(m_readingCheck, &QTimer::timeout, this, &DocumentViewer::updateReadingPart);
    connect(m_page, &QWebEnginePage::scrollPositionChanged, this,
            [this] { m_scrollReported = true; });
    connect(m_page, &QWebEnginePage::scrollPositionChanged, this, [this] {
        if (m_structure && !m_structure->isEmpty() && !m_readingCheck->isActive())
            m_readingCheck->start();
    });
    connect(m_page, &QWebEnginePage::urlChanged, this, [this](const QUrl& url) {
        const bool within =
            url.adjusted(QUrl::RemoveFragment) == m_shownUrl.adjusted(QUrl::RemoveFragment) &&
            url.fragment() != m_shownUrl.fragment() && !url.fragment().isEmpty();
        m_shownUrl = url;
        if (within)
            emit jumpedWithin(qRound(m_settledScroll));
        else
            m_settledScroll = 0;
    });
    connect(m_page, &QWebEnginePage::pdfPrintingFinished, this,
            [this](const QString& path, bool ok) {
                showMarksInPrint(true);
                if (ok)
                    Platform::applyUsualPermissions(path);
                emit pdfSaved(path, ok);
            });
    connect(this, &DocumentViewer::pdfSaved, this, [this](const QString& path, bool ok) {
        if (ok)
            emit statusMessage(QStringLiteral(" PDF сохранён: ") + QDir::toNativeSeparators(path));
        else
            AppMessageBox::show(window(), window()->windowTitle(),
                                QStringLiteral("PDF не сохранён: в эту папку нельзя записать, или "
                                               "имя файла слишком длинное.\n") +
                                    QDir::toNativeSeparators(path));
    });
    connect(m_findBar, &PageFindBar::closed, this, [this] { m_view->setFocus(); });
    connect(m_occurrences, &OccurrenceNavigator::wrapped, this, [this](bool forward) {
        emit statusNote(forward ? QStringLiteral("Поиск продолжен с начала документа")
                                : QStringLiteral("Поиск продолжен с конца документа"));
    });
    m_view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_view, &QWidget::customContextMenuRequested, this, &DocumentViewer::showMenu);
}

void DocumentViewer::installHighlightColours()
{
    // The highlighted copy writes its colours as bare RRGGBB digits. The browser reads bare
    // digits for "color" but not for "background", which left white text on white: the marks
    // of the copy are given their "#" when a page is shown (the copy on disk stays as it is),
    // and a sign by which stepping through the occurrences finds them.
    QWebEngineScript script;
    script.setName(QStringLiteral("lectoria-highlight-colours"));
    script.setInjectionPoint(QWebEngineScript::DocumentReady);
    script.setWorldId(QWebEngineScript::ApplicationWorld);
    script.setSourceCode(QStringLiteral(R"(
(function () {
  var mark = /^color:([0-9a-f]{6});background:([0-9a-f]{6})$/;
  var spans = document.getElementsByTagName('span');
  for (var i = 0; i < spans.length; ++i) {
    var found = mark.exec(spans[i].getAttribute('style') || '');
    if (found) {
      spans[i].style.color = '#' + found[1];
      spans[i].style.background = '#' + found[2];
      spans[i].setAttribute('data-lectoria-mark', '');
    }
  }
})();
)"));
    m_page->scripts().insert(script);
}

void DocumentViewer::setAllowedFolders(const QStringList& folders)
{
    m_page->setAllowedFolders(folders);
}

bool DocumentViewer::isAllowedFile(const QString& path) const
{
    return m_page->isAllowedFile(QUrl::fromLocalFile(path));
}

void DocumentViewer::showNode(NodeKind kind, const QString& path, const QString& caption,
                              const QString& title, const std::optional<Highlighting>& highlighting)
{
    // The work folder is one: a copy still being made apart is let finish first.
    m_copyMaker.cancelAndWait();
    m_shownMarks = -1;
    m_shownInMarkup = 0;
    m_shownDocument = path;
    m_caption = caption;
    m_title = title;
    m_highlighting = highlighting;
    m_pdf->stop();
    m_pdfParts->stop();
    m_pendingPdf.clear();
    setStructure(nullptr);
    m_partToShow = m_pendingPart.first == path ? m_pendingPart.second : QString();
    m_pendingPart = {};
    if (kind == NodeKind::Document && DocumentLayout::isPdfDocument(path) && m_showDocuments &&
        Platform::isFile(path)) {
        m_pdfParts->start(path, caption, m_catalog, std::exchange(m_partToShow, QString()));
        m_occurrences->clear();
        showPdf(path);
        emit shownChanged(m_title, m_shownMarks, m_shownInMarkup);
        return;
    }
    QString shown;
    // A document is shown as a copy when it has occurrences to mark, designations to link or
    // parts to show.
    const bool copied = highlighting || kind == NodeKind::Document;
    if (!copied) {
        shown = ShownFile::forNode(kind, path);
    } else if (kind == NodeKind::Document && m_showDocuments && Platform::isFile(path) &&
               QFileInfo(path).size() > LargeDocument) {
        // A large document is marked apart, the window going on meanwhile.
        resetViewerWorkDir(m_workSlot);
        showBlank();
        m_occurrences->clear();
        if (highlighting)
            emit statusNote(QStringLiteral("Выделяются вхождения в большом документе…"));
        emit shownChanged(m_title, m_shownMarks, m_shownInMarkup);
        m_copyMaker.start(
            [document = path, caption, highlighting, catalog = m_catalog,
             slot = m_workSlot](const auto&) {
                return ShownCopy::make(document, caption, highlighting, catalog.get(), slot);
            },
            [this](const ShownCopy::Made& made) { showMadeCopy(made); });
        return;
    } else {
        resetViewerWorkDir(m_workSlot);
        const auto copyOf = [this, &highlighting, &caption](const QString& document) {
            const ShownCopy::Made made =
                ShownCopy::make(document, caption, highlighting, m_catalog.get(), m_workSlot);
            m_shownMarks = made.marks;
            m_shownInMarkup = made.inMarkup;
            setStructure(made.structure);
            return made.file;
        };
        shown = ShownFile::forNode(kind, path, true, copyOf);
    }
    if (m_showDocuments && !shown.isEmpty())
        showFile(shown);
    else
        showBlank();
    if (m_shownMarks > 0)
        m_occurrences->reset(m_page, m_shownMarks, highlighting && highlighting->options.textMode);
    else
        m_occurrences->clear();
    emit shownChanged(m_title, m_shownMarks, m_shownInMarkup);
}

void DocumentViewer::showMadeCopy(const ShownCopy::Made& made)
{
    m_shownMarks = made.marks;
    m_shownInMarkup = made.inMarkup;
    setStructure(made.structure);
    showFile(made.file.isEmpty() ? m_shownDocument : made.file);
    if (m_shownMarks > 0 && m_highlighting)
        m_occurrences->reset(m_page, m_shownMarks, m_highlighting->options.textMode);
    else
        m_occurrences->clear();
    emit shownChanged(m_title, m_shownMarks, m_shownInMarkup);
}

void DocumentViewer::showFile(const QString& path)
{
    const QString workDir = resetViewerWorkDir(m_workSlot);
    const QFileInfo document(path);
    if (!Platform::isFile(path)) {
        showBlank();
        return;
    }
    if (!workDir.isEmpty()) {
        const QString filesName = DocumentLayout::companionFolderName(document.fileName());
        FileTree().copyDir(DocumentLayout::joinPath(document.path(), filesName),
                           workDir + filesName, QStringLiteral("*.*"));
    }
    // The address is made from the path, so blanks, "#", "%" and "?" stay part of the name.
    startLoading();
    m_view->setUrl(Platform::fileUrl(document.absoluteFilePath()));
}

void DocumentViewer::startLoading()
{
    m_loading = true;
    // Until the page reports a move, it is where it was asked to go (its top at first).
    m_trackedScroll = m_pendingScroll;
    m_scrollReported = false;
}

void DocumentViewer::showPdf(const QString& path)
{
    const QString workDir = resetViewerWorkDir(m_workSlot);
    const QString shell = workDir.isEmpty() ? QString() : PdfPresenter::writeShell(workDir);
    if (shell.isEmpty()) {
        showBlank();
        return;
    }
    m_pendingPdf = path;
    m_pdfShell = QUrl::fromLocalFile(shell);
    startLoading();
    m_view->setUrl(m_pdfShell);
}

bool DocumentViewer::showsPdf() const
{
    return DocumentLayout::isPdfDocument(m_shownDocument) && !m_pdfShell.isEmpty() &&
           m_page->url() == m_pdfShell;
}

void DocumentViewer::pdfPresented(int marks, bool failed)
{
    m_shownMarks = m_highlighting ? marks : -1;
    if (m_highlighting && marks > 0) {
        m_occurrences->reset(m_page, marks, true);
        selectFirstOccurrence();
    } else {
        m_occurrences->clear();
        if (m_highlighting)
            emit inPageFindFinished(false);
    }
    if (failed)
        emit statusNote(QStringLiteral("Документ PDF не удалось показать"));
    else
        m_pdfParts->presented();
    emit shownChanged(m_title, m_shownMarks, m_shownInMarkup);
}

void DocumentViewer::showBlank()
{
    m_pdf->stop();
    m_pendingPdf.clear();
    startLoading();
    m_view->setUrl(QUrl(QStringLiteral("about:blank")));
}

DocumentViewer::~DocumentViewer() = default;

void DocumentViewer::clear()
{
    m_copyMaker.cancel(); // a copy still made is of the node before
    m_shownMarks = -1;
    m_shownInMarkup = 0;
    m_shownDocument.clear();
    m_caption.clear();
    m_title.clear();
    m_highlighting.reset();
    m_pendingAnchor.clear();
    m_occurrences->clear();
    m_pdfParts->stop();
    setStructure(nullptr);
    showBlank();
}

void DocumentViewer::setStructure(std::shared_ptr<const DocumentStructure> structure)
{
    if (!structure && !m_structure)
        return;
    m_structure = std::move(structure);
    m_readingPart = -1;
    if (m_structure && !m_partToShow.isEmpty()) {
        // The part a followed link names, once the document's parts are known; the page is
        // loaded after this.
        const std::optional<PartAddress> address = PartAddress::parse(m_partToShow);
        m_partToShow.clear();
        const int part = address ? address->find(*m_structure) : -1;
        if (part >= 0) {
            m_pendingAnchor = PartAnchors::idOf(part);
            m_pendingScroll = 0;
        } else if (address) {
            emit statusNote(address->missingText() + QStringLiteral(": документ показан с начала"));
        }
    }
    emit structureChanged();
}

void DocumentViewer::showPartNamed(const QString& part)
{
    if (showsPdf()) {
        m_pdfParts->showNamedPart(part);
        return;
    }
    const std::optional<PartAddress> address = PartAddress::parse(part);
    if (!address)
        return;
    const int found = m_structure ? address->find(*m_structure) : -1;
    if (found >= 0)
        showPart(found);
    else
        emit statusNote(address->missingText());
}

void DocumentViewer::showPart(int part)
{
    if (!m_structure || part < 0 || part >= int(m_structure->parts().size()))
        return;
    if (showsPdf()) {
        m_pdfParts->showPart(part);
    } else if (m_loading) {
        // Asked for before the page is there: shown once it is.
        m_pendingAnchor = PartAnchors::idOf(part);
        m_pendingScroll = 0;
    } else {
        scrollToAnchor(PartAnchors::idOf(part));
    }
    markReadingPart(part);
}

void DocumentViewer::markReadingPart(int part)
{
    if (part != m_readingPart) {
        m_readingPart = part;
        emit readingPartChanged(part);
    }
}

void DocumentViewer::scrollToAnchor(QString anchor)
{
    anchor.replace(u'\\', QStringLiteral("\\\\")).replace(u'\'', QStringLiteral("\\'"));
    m_page->runJavaScript(
        QStringLiteral("(function(a) { var e = document.getElementById(a) || "
                       "document.getElementsByName(a)[0]; if (e) e.scrollIntoView(); })('%1')")
            .arg(anchor),
        QWebEngineScript::ApplicationWorld);
}

void DocumentViewer::updateReadingPart()
{
    if (!m_structure || m_structure->isEmpty())
        return;
    if (showsPdf()) {
        m_pdfParts->askReadingPart([this](int part) { markReadingPart(part); });
        return;
    }
    // The anchors stand in the order of the page: the last above the top is found by halves.
    static const QString script = QStringLiteral(R"(
(function () {
  var anchors = document.querySelectorAll('a[id^="lectoria-part-"]');
  var low = 0, high = anchors.length - 1, last = -1;
  while (low <= high) {
    var middle = (low + high) >> 1;
    if (anchors[middle].getBoundingClientRect().top <= 12) { last = middle; low = middle + 1; }
    else high = middle - 1;
  }
  return last < 0 ? '' : anchors[last].id;
})())");
    const std::shared_ptr<const DocumentStructure> asked = m_structure;
    m_page->runJavaScript(script, QWebEngineScript::ApplicationWorld,
                          [this, asked](const QVariant& id) {
                              if (asked == m_structure) // not another page shown meanwhile
                                  markReadingPart(PartAnchors::partOf(id.toString()));
                          });
}

void DocumentViewer::setZoomFactor(double factor)
{
    m_zoomFactor = factor;
    m_view->setZoomFactor(factor);
}

void DocumentViewer::pageLoaded(bool ok)
{
    // The zoom first, then the find: the find scrolls the occurrence into view as the page is
    // laid out at its zoom (a zoom set after it moved the occurrence out of view).
    m_view->setZoomFactor(m_zoomFactor);
    m_loading = false;
    if (!m_pendingPdf.isEmpty() && m_page->url() == m_pdfShell) {
        const QString document = m_pendingPdf;
        m_pendingPdf.clear();
        PdfPresenter::Marks marks;
        if (m_highlighting) {
            marks.found =
                PdfMarks::find(document, m_highlighting->contexts, m_highlighting->options);
            marks.backColor = u'#' + HighlightedCopy::styleColor(m_highlighting->backColor);
        } else {
            marks.first = m_pendingFind; // a mention: shown where it first stands
        }
        m_pdf->present(document, marks, m_pendingScroll);
        m_pendingScroll = 0;
        m_pendingAnchor.clear();
        m_pendingFind.clear();
        return;
    }
    const bool anchored = !m_pendingAnchor.isEmpty();
    if (ok && anchored) {
        // The place a followed link points at.
        scrollToAnchor(std::exchange(m_pendingAnchor, QString()));
    }
    if (ok && !anchored && (m_pendingScroll > 0 || m_pendingFind.isEmpty())) {
        // Where the page was read before (or its top: the browser would keep the place of
        // the copy shown before under the same name), once it is laid out.
        m_page->runJavaScript(QStringLiteral("window.scrollTo(0, %1)").arg(m_pendingScroll),
                              QWebEngineScript::ApplicationWorld);
    }
    if (ok) {
        // The browser tells no move when a page loads at the place of the one before it
        // (the copies share a name): the place is asked once it has been scrolled to.
        m_page->runJavaScript(QStringLiteral("window.scrollY"), QWebEngineScript::ApplicationWorld,
                              [this](const QVariant& y) {
                                  if (!m_loading && y.isValid())
                                      m_trackedScroll = y.toDouble();
                              });
    }
    m_pendingScroll = 0;
    if (ok && m_structure && !m_structure->isEmpty())
        m_readingCheck->start();
    if (ok && !m_pendingFind.isEmpty()) {
        // A mention to show: the page's own find selects it and scrolls it into view.
        const QString mention = m_pendingFind;
        m_pendingFind.clear();
        if (!m_highlighting) {
            findInPage(mention, false);
            return;
        }
    }
    if (!ok || !m_highlighting)
        return;
    if (m_shownMarks == 0)
        emit inPageFindFinished(false); // nothing marked: nothing to select
    else if (m_highlighting->options.textMode && m_shownMarks > 0)
        selectFirstOccurrence();
    else
        findInPage(m_highlighting->contexts.value(0), m_highlighting->options.caseSensitive);
}

double DocumentViewer::scrollPosition() const
{
    // Until the page reports a move after a load, what it reports is the page's before.
    if (!m_scrollReported)
        return m_trackedScroll;
    // The page tells it at its zoom; the page's own measure is without it.
    const double zoom = m_view->zoomFactor();
    return zoom > 0 ? m_page->scrollPosition().y() / zoom : 0.0;
}

void DocumentViewer::scrollTo(int y)
{
    m_page->runJavaScript(QStringLiteral("window.scrollTo(0, %1)").arg(y),
                          QWebEngineScript::ApplicationWorld);
}

void DocumentViewer::findInPage(const QString& context, bool matchCase)
{
    QWebEnginePage* page = m_view->page();
    if (!page) {
        reportFailedCheck("SUCCEEDED( hr )", __LINE__);
        return;
    }
    if (context.isEmpty())
        return;
    QWebEnginePage::FindFlags flags;
    if (matchCase)
        flags |= QWebEnginePage::FindCaseSensitively;
    const QUrl loaded = page->url();
    ++m_inPageFindRequests;
    // The page's selection is not reloaded afterwards: a reload would drop it again.
    page->findText(context, flags, [this, page, loaded](const QWebEngineFindTextResult& result) {
        if (m_view->page() != page || page->url() != loaded)
            return; // another page has been loaded meanwhile
        const bool found = result.numberOfMatches() > 0;
        if (found) {
            // Ending the find keeps the found occurrence as the page's selection.
            page->findText(QString());
            ++m_inPageFindCount;
            if (m_occurrences->count() > 0)
                m_occurrences->setCurrent(1);
        }
        // Not in the rendered text: no selection, no message.
        emit inPageFindFinished(found);
    });
}

void DocumentViewer::selectFirstOccurrence()
{
    QWebEnginePage* page = m_view->page();
    if (!page)
        return;
    const QUrl loaded = page->url();
    ++m_inPageFindRequests;
    static const QString script =
        QStringLiteral("(function() {"
                       "  var marks = document.querySelectorAll('[data-occurrence=\"1\"]');"
                       "  if (!marks.length) return false;"
                       "  var last = marks[marks.length - 1];"
                       "  var range = document.createRange();"
                       "  range.setStart(marks[0], 0);"
                       "  range.setEnd(last, last.childNodes.length);"
                       "  var selection = window.getSelection();"
                       "  selection.removeAllRanges();"
                       "  selection.addRange(range);"
                       "  marks[0].scrollIntoView({block: 'center'});"
                       "  return true;"
                       "})()");
    page->runJavaScript(script, QWebEngineScript::ApplicationWorld,
                        [this, page, loaded](const QVariant& selected) {
                            if (m_view->page() != page || page->url() != loaded)
                                return;
                            const bool found = selected.toBool();
                            if (found) {
                                ++m_inPageFindCount;
                                m_occurrences->setCurrent(1);
                            }
                            emit inPageFindFinished(found);
                        });
}

void DocumentViewer::stepOccurrence(int direction)
{
    if (m_occurrences->count() == 0)
        return;
    m_occurrences->step(direction);
}

void DocumentViewer::openPageFind()
{
    m_findBar->open();
}

void DocumentViewer::setHistoryAvailable(bool back, bool forward)
{
    m_canGoBack = back;
    m_canGoForward = forward;
}

void DocumentViewer::showMenu(const QPoint& at)
{
    QMenu menu(this);
    menu.addAction(QStringLiteral("Копировать"), this,
                   [this] { m_page->triggerAction(QWebEnginePage::Copy); })
        ->setEnabled(m_page->hasSelection());
    menu.addAction(QStringLiteral("Выделить всё"), this,
                   [this] { m_page->triggerAction(QWebEnginePage::SelectAll); });
    menu.addSeparator();
    menu.addAction(QStringLiteral("Назад"), this, &DocumentViewer::backRequested)
        ->setEnabled(m_canGoBack);
    menu.addAction(QStringLiteral("Вперёд"), this, &DocumentViewer::forwardRequested)
        ->setEnabled(m_canGoForward);
    menu.addSeparator();
    menu.addAction(QStringLiteral("Найти на странице…"), this, &DocumentViewer::openPageFind)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));
    menu.addAction(QStringLiteral("Печать…"), this, &DocumentViewer::printDocument);
    if (m_shownMarks > 0) {
        QAction* marks = menu.addAction(QStringLiteral("Печать и PDF с выделением найденного"));
        marks->setCheckable(true);
        marks->setChecked(m_printMarks);
        connect(marks, &QAction::toggled, this, [this](bool on) { m_printMarks = on; });
    }
    menu.addAction(QStringLiteral("Сохранить как PDF…"), this, &DocumentViewer::askForPdf);
    menu.exec(m_view->mapToGlobal(at));
}

void DocumentViewer::askForPdf()
{
    // A name a file system takes: a long caption is cut (255 bytes is the usual limit).
    QString caption = fileNameCaption();
    if (caption.isEmpty())
        caption = QStringLiteral("Документ");
    while (caption.toUtf8().size() > 200)
        caption.chop(1);
    const QString folder = m_pdfFolder.isEmpty()
                               ? QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)
                               : m_pdfFolder;
    const QString path = UserInteraction::current().chooseSaveFile(
        window(), QStringLiteral("Сохранить как PDF"),
        QDir(folder).filePath(caption + QStringLiteral(".pdf")),
        QStringLiteral("Документ PDF (*.pdf)"), QStringLiteral("pdf"));
    if (path.isEmpty())
        return;
    m_pdfFolder = QFileInfo(path).absolutePath();
    saveAsPdf(path);
}

QString DocumentViewer::fileNameCaption() const
{
    QString caption = m_caption;
    static const QString unfit = QStringLiteral("/\\:*?\"<>|");
    for (QChar& c : caption) {
        if (unfit.contains(c))
            c = u'_';
    }
    return caption.trimmed();
}

void DocumentViewer::saveAsPdf(const QString& path)
{
    if (showsPdf()) {
        // A PDF is saved as it is: copied beside the target first, so that a failed copy
        // leaves a file already there as it was, and never onto itself.
        if (QFileInfo(path).canonicalFilePath() == QFileInfo(m_shownDocument).canonicalFilePath()) {
            emit pdfSaved(path, true);
            return;
        }
        const QString part = path + QStringLiteral(".part");
        QFile::remove(part);
        const bool saved = QFile::copy(m_shownDocument, part) &&
                           (!QFile::exists(path) || QFile::remove(path)) &&
                           QFile::rename(part, path);
        if (!saved)
            QFile::remove(part);
        emit pdfSaved(path, saved);
        return;
    }
    // The marks of the search go to paper only when the reader asks for them.
    showMarksInPrint(m_printMarks, [this, path] { m_page->printToPdf(path); });
}

void DocumentViewer::showMarksInPrint(bool show, const std::function<void()>& then)
{
    static const QString hide = QStringLiteral(
        "(function() { if (document.getElementById('lectoria-no-marks')) return;"
        "  var s = document.createElement('style'); s.id = 'lectoria-no-marks';"
        "  s.textContent = '[data-occurrence], span[data-lectoria-mark], .lectoria-mark"
        " { background: none !important; color: inherit !important; outline: none !important; }';"
        "  document.documentElement.appendChild(s); })()");
    static const QString restore =
        QStringLiteral("(function() { var s = document.getElementById('lectoria-no-marks');"
                       "  if (s) s.remove(); })()");
    m_page->runJavaScript(show ? restore : hide, QWebEngineScript::ApplicationWorld,
                          [then](const QVariant&) {
                              if (then)
                                  then();
                          });
}

void DocumentViewer::printDocument()
{
    // Without a printer the preview would wait for one: the user is told at once.
    if (QPrinterInfo::availablePrinters().isEmpty()) {
        AppMessageBox::show(window(), window()->windowTitle(),
                            QStringLiteral("Принтер не найден: сохраните документ как PDF"));
        return;
    }
    if (showsPdf()) {
        // Pages are drawn as they come into view: all of them are drawn for the printer.
        QEventLoop wait;
        connect(m_pdf, &PdfPresenter::allDrawn, &wait, &QEventLoop::quit);
        QTimer::singleShot(60000, &wait, &QEventLoop::quit);
        m_pdf->drawAll();
        wait.exec();
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(fileNameCaption());
    QPrintPreviewDialog preview(&printer, this);
    preview.setWindowTitle(QStringLiteral("Печать"));
    // The preview asks for pages as it is drawn; the viewer prints them in the background.
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* target) {
        QEventLoop wait;
        const auto done = connect(m_view, &QWebEngineView::printFinished, &wait, &QEventLoop::quit);
        QTimer::singleShot(120000, &wait, &QEventLoop::quit); // a page that never answers
        showMarksInPrint(m_printMarks, [this, target] { m_view->print(target); });
        wait.exec();
        disconnect(done);
        showMarksInPrint(true);
    });
    preview.exec();
}

void DocumentViewer::attachCommands(WindowCommands* commands, QWidget* window)
{
    connect(commands->action(WindowCommands::FindInPage), &QAction::triggered, this,
            &DocumentViewer::openPageFind);
    const auto addStepKeys = [this, window](const QList<QKeySequence>& keys, int direction) {
        auto* action = new QAction(window);
        action->setShortcuts(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this,
                [this, direction] { stepOccurrence(direction); });
        window->addAction(action);
    };
    addStepKeys(KeyBindings::withoutF3(QKeySequence::FindNext), 1);
    addStepKeys(QKeySequence::keyBindings(QKeySequence::FindPrevious), -1);
}

bool DocumentViewer::isLibraryDocument(const QString& path) const
{
    return DocumentLayout::isDocument(QFileInfo(path).fileName()) && Platform::isFile(path) &&
           isAllowedFile(path) && !path.startsWith(UserWorkDir::base() + u'/');
}

void DocumentViewer::followLink(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    if (scheme == u"http" || scheme == u"https" || scheme == u"ftp" || scheme == u"mailto") {
        // The desktop's browser or mail program, never here; the user hears when there is none.
        if (!QDesktopServices::openUrl(url))
            AppMessageBox::show(window(), window()->windowTitle(),
                                QStringLiteral("Не найдена программа, чтобы открыть ссылку:\n") +
                                    url.toDisplayString());
        return;
    }
    if (scheme == u"lectoria-part") {
        if (m_followingInNewTab)
            emit newTabWanted();
        emit documentPartRequested(url.path(QUrl::FullyDecoded), url.fragment(QUrl::FullyDecoded));
        return;
    }
    if (scheme == u"lectoria-norm") {
        if (m_followingInNewTab)
            emit newTabWanted();
        if (url.hasFragment())
            emit partOfNormRequested(url.path(QUrl::FullyDecoded),
                                     url.fragment(QUrl::FullyDecoded));
        else
            emit designationRequested(url.path(QUrl::FullyDecoded));
        return;
    }
    if (!url.isLocalFile())
        return;
    QString path = QDir::cleanPath(url.toLocalFile());
    // A link of the highlighted copy resolves in the working folder: it means the same place
    // beside the document itself.
    const QString workDir = QDir::cleanPath(UserWorkDir::highlightWorkDir(m_workSlot));
    if (!m_shownDocument.isEmpty() && path.startsWith(workDir + u'/'))
        path = QDir::cleanPath(QFileInfo(m_shownDocument).path() + u'/' +
                               path.mid(workDir.size() + 1));
    const QFileInfo linked(path);
    if (DocumentLayout::isFolderPage(linked.fileName()) && Platform::isFile(path) &&
        isAllowedFile(path) && !path.startsWith(UserWorkDir::base() + u'/')) {
        // A folder's own page: the folder is shown, as the tree shows it.
        if (m_followingInNewTab)
            emit newTabWanted();
        emit libraryDocumentRequested(linked.path(), url.fragment());
        return;
    }
    if (DocumentLayout::isDocument(linked.fileName()) && !Platform::isFile(path) &&
        isAllowedFile(path)) {
        // A document of the library the link names, but that is not there.
        AppMessageBox::show(window(), window()->windowTitle(),
                            QStringLiteral("Документ, на который ведёт ссылка, не найден:\n") +
                                QDir::toNativeSeparators(path));
        return;
    }
    if (!isLibraryDocument(path)) {
        emit statusNote(QStringLiteral("Ссылка ведёт за пределы библиотеки: ") +
                        QDir::toNativeSeparators(path));
        return;
    }
    if (m_followingInNewTab)
        emit newTabWanted();
    emit libraryDocumentRequested(path, url.fragment());
}
