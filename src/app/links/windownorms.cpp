#include "links/windownorms.h"

#include "links/normkeeper.h"
#include "links/normlinksdock.h"
#include "norms/documentstructure.h"
#include "norms/partaddress.h"
#include "viewer/documentviewer.h"
#include "viewer/titlepanel.h"

#include <QMainWindow>

WindowNorms::WindowNorms(QMainWindow* window, QDockWidget* resultList, DocumentViewer* viewer,
                         TitlePanel* titlePanel, Collection collection)
    : QObject(window), m_viewer(viewer), m_titlePanel(titlePanel), m_keeper(new NormKeeper(this)),
      m_links(new NormLinksDock(window)), m_collection(std::move(collection))
{
    window->addDockWidget(Qt::BottomDockWidgetArea, m_links);
    window->splitDockWidget(resultList, m_links, Qt::Horizontal);
    m_links->hide();
    connect(m_viewer, &DocumentViewer::designationRequested, this, &WindowNorms::follow);
    connect(m_viewer, &DocumentViewer::partOfNormRequested, this, &WindowNorms::followPart);
    // "На этот пункт ссылаются" follows the part being read.
    connect(m_viewer, &DocumentViewer::structureChanged, this,
            [this] { m_links->setReadingPart(std::nullopt); });
    connect(m_viewer, &DocumentViewer::readingPartChanged, this, [this](int part) {
        const std::shared_ptr<const DocumentStructure> structure = m_viewer->shownStructure();
        m_links->setReadingPart(structure && part >= 0 && part < int(structure->parts().size())
                                    ? PartAddress::of(structure->parts()[size_t(part)])
                                    : std::nullopt);
    });
    connect(m_titlePanel, &TitlePanel::designationRequested, this, &WindowNorms::follow);
    connect(m_links, &NormLinksDock::designationRequested, this, &WindowNorms::follow);
    connect(m_links, &NormLinksDock::documentRequested, this,
            [this](const QString& path, const QString& mention) {
                m_viewer->setPendingFind(mention);
                emit citingRequested(path);
            });
    connect(m_keeper, &NormKeeper::catalogChanged, this, [this] {
        m_viewer->setNormCatalog(m_keeper->catalog());
        m_links->setCatalog(m_keeper->catalog());
        update();
    });
}

void WindowNorms::rebuild(const QStringList& folders, bool evenIfSame)
{
    m_keeper->rebuild(folders, evenIfSame);
}

void WindowNorms::show(const QString& shown, const TreeNode& node)
{
    m_shown = shown;
    m_node = node;
    update();
}

void WindowNorms::showLinks()
{
    m_links->show();
    m_links->raise();
}

void WindowNorms::follow(const QString& designation)
{
    const NormCatalog::Followed followed = m_keeper->catalog()->follow(designation);
    emit this->followed(followed.path, followed.note);
}

void WindowNorms::followPart(const QString& designation, const QString& part)
{
    const NormCatalog::Followed followed = m_keeper->catalog()->follow(designation);
    if (!followed.path.isEmpty() && followed.path == m_viewer->shownDocument()) {
        m_viewer->showPartNamed(part); // the document shown: no new page
        emit this->followed(QString(), followed.note);
        return;
    }
    if (!followed.path.isEmpty())
        m_viewer->setPendingPart(followed.path, part);
    emit this->followed(followed.path, followed.note);
}

void WindowNorms::update()
{
    m_titlePanel->setNormNotes(m_keeper->catalog()->notesFor(m_shown));
    m_links->setFolders(m_collection.folders(), m_collection.usesIndex());
    m_links->showDocument(m_node.kind == NodeKind::Document ? m_shown : QString(),
                          m_node.caption());
}
