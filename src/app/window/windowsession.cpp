#include "window/windowsession.h"

#include "find/searchcontroller.h"
#include "norms/documentnorms.h"
#include "platform/platform.h"
#include "settings/appsettings.h"
#include "tree/documenttreepanel.h"
#include "viewer/documentviewer.h"
#include "window/panesplitter.h"

#include <QAction>
#include <QTreeWidget>

WindowSession::WindowSession(AppSettings* settings, DocumentTreePanel* treePanel,
                             DocumentViewer* viewer, SearchController* search,
                             PaneSplitter* splitter)
    : m_settings(settings), m_treePanel(treePanel), m_viewer(viewer), m_search(search),
      m_splitter(splitter)
{
}

void WindowSession::restore(QAction* sortByDate)
{
    m_treePanel->setNormativeCollection(m_settings->normativeCollection());
    sortByDate->setChecked(m_settings->sortByDate());
    m_treePanel->setSortByDate(m_settings->sortByDate());
    m_treePanel->setBookmark(m_settings->bookmarkFile());
    m_treePanel->setExternalDirectory(m_settings->externalDirectory());
}

QString WindowSession::restoreLayout()
{
    m_splitter->setTreeWidth(m_settings->treeWidth());
    // The start opens no document; the way back to the last one is told.
    const QString last = m_settings->bookmarkFile();
    m_lastDocumentPending = !last.isEmpty() && Platform::isFile(last);
    return m_lastDocumentPending ? QStringLiteral("Последний документ: «%1» — Ctrl+F2")
                                       .arg(DocumentNorms::fileNameOf(last))
                                 : QString();
}

void WindowSession::takeBookmark()
{
    if (m_lastDocumentPending && m_treePanel->bookmark() == m_settings->bookmarkFile())
        m_viewer->setPendingScroll(m_settings->bookmarkScroll());
    m_lastDocumentPending = false;
}

void WindowSession::save()
{
    m_settings->setTreeWidth(m_treePanel->view()->width());
    m_settings->setNormativeCollection(m_treePanel->isNormativeCollection());
    // The node shown at close, and where it was scrolled to: the way back lands there.
    const QString shown = m_treePanel->selectedPath();
    const bool scrolled = !shown.isEmpty() && m_viewer->shownDocument() == shown;
    m_settings->setBookmark(shown, scrolled ? qRound(m_viewer->scrollPosition()) : 0);
    m_settings->setLastContext(m_search->context());
}
