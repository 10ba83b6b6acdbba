#pragma once

#include "tree/treenode.h"

#include <QObject>
#include <QStringList>

#include <functional>

class DocumentViewer;
class NormKeeper;
class NormLinksDock;
class QDockWidget;
class QMainWindow;
class TitlePanel;

// The window's norms: the catalog of the shown collection kept (NormKeeper) and given to the
// viewer's links, the "Связи" panel docked beside the result list, the title panel's notes
// on the shown document, and where following a designation leads. The viewer, the title
// panel and the panel ask to follow; this part says where to, and the window shows it.
class WindowNorms final : public QObject
{
    Q_OBJECT
public:
    // The collection's folders and whether its index is used are asked when needed.
    struct Collection
    {
        std::function<QStringList()> folders;
        std::function<bool()> usesIndex;
    };
    WindowNorms(QMainWindow* window, QDockWidget* resultList, DocumentViewer* viewer,
                TitlePanel* titlePanel, Collection collection);

    NormKeeper* keeper() const { return m_keeper; }
    NormLinksDock* links() const { return m_links; }
    // Makes the catalog of the collection's folders anew (for the same folders only when
    // their files or index may have changed).
    void rebuild(const QStringList& folders, bool evenIfSame = false);
    // The document the viewer shows (shown) at the tree's node: its notes and links, by the
    // latest catalog; the documents citing it are looked for in the collection.
    void show(const QString& shown, const TreeNode& node);
    void showLinks();

signals:
    // Following a designation leads to the document at path (empty: none is held); note, when
    // not empty, is said in the status bar.
    void followed(const QString& path, const QString& note);
    // A document citing the shown one, to be shown at its first mention (the viewer finds it).
    void citingRequested(const QString& path);

private:
    void follow(const QString& designation);
    void followPart(const QString& designation, const QString& part);
    void update();

    DocumentViewer* m_viewer;
    TitlePanel* m_titlePanel;
    NormKeeper* m_keeper;
    NormLinksDock* m_links;
    Collection m_collection;
    QString m_shown;
    TreeNode m_node;
};
