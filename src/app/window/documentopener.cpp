#include "window/documentopener.h"

#include "find/searchcontroller.h"
#include "platform/platform.h"
#include "support/statustexts.h"
#include "tree/documenttreepanel.h"
#include "viewer/documentviewer.h"

DocumentOpener::DocumentOpener(DocumentTreePanel* treePanel, DocumentViewer* viewer,
                               const SearchController* search, std::function<void()> refresh,
                               QObject* parent)
    : QObject(parent), m_treePanel(treePanel), m_viewer(viewer), m_search(search),
      m_refresh(std::move(refresh))
{
}

bool DocumentOpener::select(const QString& path)
{
    if (m_treePanel->selectPath(path))
        return true;
    if (m_search->isSearchMode() || !(Platform::isFile(path) || Platform::isFolder(path)))
        return false;
    m_treePanel->setNormativeCollection(!m_treePanel->isNormativeCollection());
    m_refresh();
    if (m_treePanel->selectPath(path))
        return true;
    m_treePanel->setNormativeCollection(!m_treePanel->isNormativeCollection());
    m_refresh();
    return false;
}

void DocumentOpener::open(const QString& path)
{
    if (!select(path))
        emit statusNote(StatusTexts::notInTree(path));
}

void DocumentOpener::openLinked(const QString& path, const QString& anchor)
{
    m_viewer->setPendingAnchor(anchor);
    if (!m_treePanel->selectPath(path)) {
        m_viewer->setPendingAnchor(QString());
        emit statusNote(StatusTexts::notInTree(path));
    }
}

void DocumentOpener::openFollowed(const QString& path, const QString& note)
{
    if (!path.isEmpty())
        openLinked(path, QString());
    if (!note.isEmpty())
        emit statusNote(note);
}
