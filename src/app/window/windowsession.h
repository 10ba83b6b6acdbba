#pragma once

#include <QString>

class AppSettings;
class DocumentTreePanel;
class DocumentViewer;
class PaneSplitter;
class QAction;
class SearchController;

// What the window keeps from one run to the next, in the settings: the collection shown, the
// order of the tree, the chosen library folder, the tree's width, the node shown at exit and
// where it was read (the way back lands there the first time), the last context.
class WindowSession
{
public:
    WindowSession(AppSettings* settings, DocumentTreePanel* treePanel, DocumentViewer* viewer,
                  SearchController* search, PaneSplitter* splitter);

    // Before the tree is first built: the collection, its order (sortByDate's check mark
    // too) and the library folder.
    void restore(QAction* sortByDate);
    // Once the window is laid out: the tree's width; the status bar's note of the last
    // document (empty: none is still there).
    QString restoreLayout();
    // The way back to the bookmark is taken: the first time, to where the last document was
    // read.
    void takeBookmark();
    void save();

private:
    AppSettings* m_settings;
    DocumentTreePanel* m_treePanel;
    DocumentViewer* m_viewer;
    SearchController* m_search;
    PaneSplitter* m_splitter;
    bool m_lastDocumentPending = false;
};
