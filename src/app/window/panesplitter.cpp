#include "window/panesplitter.h"

PaneSplitter::PaneSplitter(QWidget* parent) : QSplitter(Qt::Horizontal, parent)
{
    setObjectName(QStringLiteral("splitter"));
    setHandleWidth(3);
    setChildrenCollapsible(false);
}

void PaneSplitter::setPanes(QWidget* tree, QWidget* document)
{
    addWidget(tree);
    addWidget(document);
    setStretchFactor(0, 0);
    setStretchFactor(1, 1);
    setSizes({252, 800});
}

int PaneSplitter::startingTreeWidth() const
{
    // A quarter of the window, but never so narrow that the tree cannot be read.
    return qMin(qMax(window()->frameGeometry().width() / 4, 240), width() / 2);
}

void PaneSplitter::setTreeWidth(int width)
{
    if (width <= 0)
        width = startingTreeWidth();
    setSizes({width, qMax(0, this->width() - width - handleWidth())});
}

void PaneSplitter::setDocumentPaneShown(bool shown)
{
    widget(1)->setVisible(shown);
    handle(1)->setVisible(shown); // the handle goes with the document pane
    refresh();
    if (shown) {
        const int treeWidth = startingTreeWidth();
        setSizes({treeWidth, qMax(0, width() - treeWidth)});
    }
}
