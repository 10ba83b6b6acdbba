#pragma once

#include <QWidget>

class QTextBrowser;
class QToolButton;

// The user guide, in a window of the program beside the main window. There is one such window
// per owner: asking for help again brings it forward where it was.
class THelpForm1 final : public QWidget
{
    Q_OBJECT
public:
    // Shows the guide file in owner's help window, made at the first call; null, with nothing
    // shown, when the file does not exist.
    static THelpForm1* open(QWidget* owner, const QString& file);

    QToolButton* HomeButton1 = nullptr;
    QToolButton* BackButton1 = nullptr;
    QToolButton* ForwardButton1 = nullptr;
    QTextBrowser* HelpBrowser1 = nullptr;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    explicit THelpForm1(QWidget* owner);
};
