#pragma once

#include <QSplitter>

// The tree's pane beside the document's: the tree keeps its width while the window is
// resized, and starts at a quarter of the window (never so narrow that it cannot be read);
// the document pane can be hidden with its handle.
class PaneSplitter final : public QSplitter
{
    Q_OBJECT
public:
    explicit PaneSplitter(QWidget* parent);

    // The panes, tree first; each is the splitter's child from now on.
    void setPanes(QWidget* tree, QWidget* document);
    // The stored width of the tree, which fills its pane; 0: the usual share of the window.
    void setTreeWidth(int width);
    // Shown again, the document pane gives the tree its usual share.
    void setDocumentPaneShown(bool shown);

private:
    int startingTreeWidth() const;
};
