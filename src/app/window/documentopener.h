#pragma once

#include <QObject>

#include <functional>

class DocumentTreePanel;
class DocumentViewer;
class SearchController;

// Shows a document the user asked for by its path (a link, a favourite, the way back, a
// designation followed) by selecting its node in the tree; where the other collection holds it
// and this one does not, that collection is shown first (not in search mode: the found tree
// stays). What neither holds is said in the status bar.
class DocumentOpener final : public QObject
{
    Q_OBJECT
public:
    // refresh: builds the tree of the collection the panel is set to.
    DocumentOpener(DocumentTreePanel* treePanel, DocumentViewer* viewer,
                   const SearchController* search, std::function<void()> refresh, QObject* parent);

    // Selects the node of a path, in either collection; false when neither has it.
    bool select(const QString& path);
    // A favourite or a node of the history, in either collection.
    void open(const QString& path);
    // A document of the shown collection at a place of it (an anchor, or none).
    void openLinked(const QString& path, const QString& anchor);
    // Where following a designation led: the document (none: empty) and what to say.
    void openFollowed(const QString& path, const QString& note);

signals:
    void statusNote(const QString& note);

private:
    DocumentTreePanel* m_treePanel;
    DocumentViewer* m_viewer;
    const SearchController* m_search;
    std::function<void()> m_refresh;
};
