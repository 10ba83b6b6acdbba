// Showing the selected node: the viewer, the title panel, the zoom and the document pane.
#include "tform1.h"

#include "appsettings.h"
#include "documentpage.h"
#include "occurrencenavigator.h"
#include "replacehtml.h"
#include "shownfile.h"
#include "waitcursor.h"
#include "wmaketreeviewfordir.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QSplitter>
#include <QTreeWidget>
#include <QWebEngineScript>
#include <QWebEngineView>

void TForm1::TreeView1Change()
{
    // Only a selection the user makes in the main window is shown: none while another window
    // of the program (the splash, a progress window) is the active one. Without a window
    // manager no window may count as active; the user is then still in this one.
    const QWidget* active = QApplication::activeWindow();
    if ((active && active != this) || !TreeBuilder || m_buildingTree)
        return;
    showSelectedNode();
}

void TForm1::showSelectedNode()
{
    if (!TreeBuilder)
        return;
    WaitCursor waitCursor;
    QTreeWidgetItem* node = selectedNode();
    m_shownMarks = -1;
    m_shownInMarkup = 0;
    const auto shownRecord = WMakeTreeviewForDir::NodeRecord(node);
    m_shownDocument = node ? shownRecord.FileName : QString();
    if (!m_navigatingHistory && node)
        History.shown(shownRecord.FileName);
    if (!SearchMode) {
        TreeBuilder->ShowNode(node, CppWebBrowser1);
    } else {
        WMakeTreeviewForDir::ResetViewerWorkDir();
        const auto highlightedCopy = [this](const QString& document) {
            ReplaceHTML_t highlighter(document, SearchContext);
            highlighter.DeleteOnDestroy = false;
            highlighter.CaseSensitive = CaseSensitive;
            highlighter.WholeWords = WholeWords;
            highlighter.TextMode = TextMode;
            highlighter.SetColors(HighlightFontColor, HighlightBackColor);
            if (!highlighter.HighlightContext())
                return QString();
            m_shownMarks = highlighter.MarkedCount;
            m_shownInMarkup = highlighter.InMarkupCount;
            return highlighter.WorkFileName;
        };
        const auto record = WMakeTreeviewForDir::NodeRecord(node);
        TreeBuilder->ShowDocument(ShownFile::forNode(static_cast<ShownFile::NodeKind>(record.Kind),
                                                     record.FileName, true, highlightedCopy),
                                  CppWebBrowser1);
    }
    // The tree keeps the order its builder gives; the control never re-sorts by itself.
    TreeView1->setSortingEnabled(false);
    if (m_shownMarks > 0)
        Occurrences->reset(ViewerPage, m_shownMarks, TextMode);
    else
        Occurrences->clear();
    showNodeTitle(node);
}

namespace {

// "17 совпадений", "1 совпадение", "3 совпадения".
QString occurrencesPhrase(int count)
{
    const int tens = count % 100;
    const int units = count % 10;
    const char* word = (tens >= 11 && tens <= 14)   ? "совпадений"
                       : units == 1                 ? "совпадение"
                       : (units >= 2 && units <= 4) ? "совпадения"
                                                    : "совпадений";
    return QString::number(count) + u' ' + QString::fromUtf8(word);
}

} // namespace

void TForm1::showNodeTitle(const QTreeWidgetItem* node)
{
    QString title =
        QStringLiteral(" ") + (TreeBuilder ? TreeBuilder->GetNodeTitle(node) : QString());
    // Found only in its markup: the copy marks nothing, and the user is told why.
    if (m_shownMarks == 0 && m_shownInMarkup > 0)
        title += QStringLiteral(" — совпадения только в разметке");
    else if (m_shownMarks > 0)
        title += QStringLiteral(" — ") + occurrencesPhrase(m_shownMarks);
    NamePanel1->setText(title);
    NamePanel1->setToolTip(title);
}

void TForm1::ScaleComboBox1Change()
{
    settings().setZoomIndex(ScaleComboBox1->currentIndex());
    TreeView1Change();
}

double TForm1::selectedZoomFactor() const
{
    if (ScaleComboBox1->currentIndex() < 0)
        return 1.0;
    QString text = ScaleComboBox1->currentText().trimmed();
    const qsizetype percent = text.indexOf(u'%');
    if (percent >= 0)
        text.truncate(percent);
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok && value > 0 ? float(value * 0.01) : 1.0;
}

void TForm1::CppWebBrowser1DocumentComplete(bool ok)
{
    // The zoom first, then the find: the find scrolls the occurrence into view as the page is
    // laid out at its zoom (a zoom set after it moved the occurrence out of view).
    CppWebBrowser1->setZoomFactor(selectedZoomFactor());
    if (ok && !m_pendingAnchor.isEmpty()) {
        // The place a followed link points at.
        QString anchor = m_pendingAnchor;
        m_pendingAnchor.clear();
        anchor.replace(u'\\', QStringLiteral("\\\\")).replace(u'\'', QStringLiteral("\\'"));
        ViewerPage->runJavaScript(
            QStringLiteral("(function(a) { var e = document.getElementById(a) || "
                           "document.getElementsByName(a)[0]; if (e) e.scrollIntoView(); })('%1')")
                .arg(anchor),
            QWebEngineScript::ApplicationWorld);
    }
    if (!ok || !SearchMode)
        return;
    if (m_shownMarks == 0) {
        emit inPageFindFinished(false); // nothing marked: nothing to select
    } else if (TextMode && m_shownMarks > 0) {
        SelectFirstOccurrence();
    } else {
        FindInPage(SearchContext, CaseSensitive);
    }
}

void TForm1::ShowDocCheckBox1Click()
{
    if (!TreeBuilder)
        return;
    const bool show = ShowDocCheckBox1->isChecked();
    TreeBuilder->ShowDoc = show;
    TreeBuilder->ShowNode(selectedNode(), CppWebBrowser1);
    WebPanel1->setVisible(show);
    Splitter1->handle(1)->setVisible(show); // the splitter goes with the document pane
    Splitter1->refresh();
    if (show) {
        // A fifth of the window, but never so narrow that the tree cannot be read.
        const int treeWidth = qMin(qMax(frameGeometry().width() / 5, 240), Splitter1->width() / 2);
        Splitter1->setSizes({treeWidth, qMax(0, Splitter1->width() - treeWidth)});
    }
}
