// The in-page find after a page has loaded in search mode: the first occurrence of the
// context in the rendered text is found, scrolled into view and made the page's selection.
// In text mode the occurrence is the highlighted copy's first one, which may span tags and
// blocks that the page's own find does not cross.
#include "tform1.h"

#include "occurrencenavigator.h"

#include <QWebEngineFindTextResult>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

#include <cstdio>

namespace {

// A failed step ends only this find; it is written to standard error.
void reportFailedCheck(const char* check, int line)
{
    std::fprintf(stderr, "Tech1(%d): check failed: %s\n", line, check);
}

} // namespace

void TForm1::FindInPage(const QString& context, bool matchCase)
{
    QWebEnginePage* page = CppWebBrowser1->page();
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
        if (CppWebBrowser1->page() != page || page->url() != loaded)
            return; // another page has been loaded meanwhile
        const bool found = result.numberOfMatches() > 0;
        if (found) {
            // Ending the find keeps the found occurrence as the page's selection.
            page->findText(QString());
            ++m_inPageFindCount;
            if (Occurrences->count() > 0)
                Occurrences->setCurrent(1);
        }
        // Not in the rendered text: no selection, no message.
        emit inPageFindFinished(found);
    });
}

void TForm1::SelectFirstOccurrence()
{
    QWebEnginePage* page = CppWebBrowser1->page();
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
                            if (CppWebBrowser1->page() != page || page->url() != loaded)
                                return;
                            const bool found = selected.toBool();
                            if (found) {
                                ++m_inPageFindCount;
                                Occurrences->setCurrent(1);
                            }
                            emit inPageFindFinished(found);
                        });
}
