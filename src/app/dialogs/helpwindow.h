#pragma once

#include <QWidget>

class GuideBrowser;
class QToolButton;

// The user guide, in a window of the program beside the main window. There is one such window
// per owner: asking for help again brings it forward where it was.
class HelpWindow final : public QWidget
{
    Q_OBJECT
public:
    // Shows the guide file in owner's help window, made at the first call (at its section
    // named so when one is given); null, with nothing shown, when the file does not exist.
    static HelpWindow* open(QWidget* owner, const QString& file,
                            const QString& section = QString());

    GuideBrowser* browser() const { return m_browser; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QToolButton* m_homeButton = nullptr;
    QToolButton* m_backButton = nullptr;
    QToolButton* m_forwardButton = nullptr;
    GuideBrowser* m_browser = nullptr;
    explicit HelpWindow(QWidget* owner);
};
