#include "viewer/occurrencenavigator.h"

#include <QPointer>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineScript>

void OccurrenceNavigator::reset(QWebEnginePage* page, int count, bool textMode)
{
    m_page = page;
    m_count = count;
    m_current = 0;
    m_textMode = textMode;
    emit changed(m_current, m_count);
}

void OccurrenceNavigator::clear()
{
    reset(nullptr, 0, false);
}

void OccurrenceNavigator::setCurrent(int index)
{
    m_current = index;
    emit changed(m_current, m_count);
    if (!m_page || index < 1)
        return;
    // The current occurrence stands out most: the same colours with a heavy outline.
    static const QString script = QStringLiteral(
        "(function(index, numbered) {"
        "  var marks = numbered ? document.querySelectorAll('[data-occurrence=\"' + index + '\"]')"
        "                       : [document.querySelectorAll('span[data-lectoria-mark]')[index - "
        "1]];"
        "  for (var k = 0; k < marks.length; ++k) {"
        "    if (!marks[k]) continue;"
        "    marks[k].style.outline = '3px solid #202020'; marks[k].style.outlineOffset = '1px';"
        "    marks[k].setAttribute('data-lectoria-current', ''); }"
        "})(%1, %2)");
    m_page->runJavaScript(
        script.arg(index).arg(m_textMode ? QStringLiteral("true") : QStringLiteral("false")),
        QWebEngineScript::ApplicationWorld);
}

void OccurrenceNavigator::step(int direction)
{
    if (m_count <= 0)
        return;
    int next = m_current + direction;
    if (m_current == 0)
        next = direction > 0 ? 1 : m_count;
    if (next > m_count || next < 1) {
        next = next > m_count ? 1 : m_count;
        emit wrapped(direction > 0);
    }
    select(next);
}

void OccurrenceNavigator::select(int index)
{
    if (!m_page || index < 1 || index > m_count)
        return;
    // The marks of one occurrence, from the first to the last, become the selection.
    static const QString script = QStringLiteral(
        "(function(index, numbered) {"
        "  var first = null, last = null;"
        "  if (numbered) {"
        "    var marks = document.querySelectorAll('[data-occurrence=\"' + index + '\"]');"
        "    if (marks.length) { first = marks[0]; last = marks[marks.length - 1]; }"
        "  } else {"
        "    first = last = document.querySelectorAll('span[data-lectoria-mark]')[index - 1];"
        "  }"
        "  if (!first) return false;"
        // The current occurrence stands out most: the same colours with a heavy outline.
        "  var old = document.querySelectorAll('[data-lectoria-current]');"
        "  for (var i = 0; i < old.length; ++i) {"
        "    old[i].style.outline = ''; old[i].removeAttribute('data-lectoria-current'); }"
        "  var marks = numbered ? document.querySelectorAll('[data-occurrence=\"' + index + '\"]')"
        "                       : [first];"
        "  for (var k = 0; k < marks.length; ++k) {"
        "    marks[k].style.outline = '3px solid #202020'; marks[k].style.outlineOffset = '1px';"
        "    marks[k].setAttribute('data-lectoria-current', ''); }"
        "  var range = document.createRange();"
        "  range.setStart(first, 0);"
        "  range.setEnd(last, last.childNodes.length);"
        "  var selection = window.getSelection();"
        "  selection.removeAllRanges();"
        "  selection.addRange(range);"
        "  first.scrollIntoView({block: 'center'});"
        "  return true;"
        "})(%1, %2)");
    const QUrl loaded = m_page->url();
    QPointer<QWebEnginePage> page = m_page;
    m_page->runJavaScript(
        script.arg(index).arg(m_textMode ? QStringLiteral("true") : QStringLiteral("false")),
        QWebEngineScript::ApplicationWorld, [this, page, loaded, index](const QVariant& selected) {
            if (!page || page != m_page || page->url() != loaded)
                return; // another page is shown meanwhile
            if (selected.toBool()) {
                m_current = index;
                emit changed(m_current, m_count);
            }
            emit selectionDone(selected.toBool());
        });
}
