#pragma once

#include <QObject>

#include <functional>

class QWidget;

// The window's own keys, seen before the focused control handles them (Esc, F1, F3, F5, Enter
// in the tree or the viewer), and the mouse's back and forward buttons. Each key is taken
// once, where the user pressed it.
class WindowKeys final : public QObject
{
    Q_OBJECT
public:
    // viewer: the widget in which Enter steps through the occurrences while hasOccurrences;
    // tree: where Esc closes the window, as in the viewer and the window itself (elsewhere, in
    // a field or a bar, Esc is that widget's own).
    WindowKeys(QWidget* window, QWidget* viewer, QWidget* tree,
               std::function<bool()> hasOccurrences);
    ~WindowKeys() override;

signals:
    void closeRequested();
    void helpRequested();
    void findBoxRequested();
    void documentPaneToggled();
    // Enter with the focus on widget (not in the viewer).
    void enterPressed(QWidget* widget);
    // Enter (+1) or Shift+Enter (-1) in the viewer.
    void stepRequested(int direction);
    // Ctrl+wheel over the viewer, Ctrl+plus and Ctrl+minus anywhere in the window: the next
    // (+1) or previous (-1) zoom.
    void zoomStepRequested(int step);
    // Ctrl+0: back to 100 %.
    void zoomResetRequested();
    void backRequested();
    void forwardRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_window;
    QWidget* m_viewer;
    QWidget* m_tree;
    std::function<bool()> m_hasOccurrences;
};
