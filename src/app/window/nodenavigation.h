#pragma once

#include "library/nodehistory.h"

#include <QObject>

#include <functional>

class DocumentViewer;
class DocumentTree;
class QToolButton;
class QWidget;

// Back and forward through the nodes shown, as a browser goes through its pages: two buttons,
// the platform's back and forward keys and the mouse's own buttons.
class NodeNavigation final : public QObject
{
    Q_OBJECT
public:
    // showPath selects the node of a path in the tree (which shows it); false when the tree
    // has none. The keys act in window.
    NodeNavigation(std::function<bool(const QString&)> showPath, QWidget* window);

    QToolButton* backButton() const { return m_back; }
    QToolButton* forwardButton() const { return m_forward; }
    const NodeHistory& history() const { return m_history; }
    // The way back and forward with the place shown now kept in it (a tab is left), and one to
    // go on with (a tab is shown).
    NodeHistory keptHistory();
    void setHistory(const NodeHistory& history);

    // The viewer's menu goes back and forward here, and shows whether it can; going back and
    // forward lands where each document was scrolled to when it was left.
    void follow(DocumentViewer* viewer);
    // A node was shown; not recorded while going back or forward.
    void recordShown(const QString& path);
    // After a rebuild, keeps what is still on disk, in either collection (the way back may
    // lead to the other one), and what the tree has.
    void keepExisting(const DocumentTree* tree);
    void goBack();
    void goForward();
    bool canGoBack() const { return m_history.canGoBack(); }
    bool canGoForward() const { return m_history.canGoForward(); }

signals:
    void changed();

private:
    void go(bool back);

    // The place the viewer shows now, kept with the node it leaves.
    void keepScroll();

    std::function<bool(const QString&)> m_showPath;
    DocumentViewer* m_viewer = nullptr;
    NodeHistory m_history;
    QToolButton* m_back = nullptr;
    QToolButton* m_forward = nullptr;
    bool m_navigating = false;
};
