#pragma once

#include <QFrame>

class AppSettings;
class FindBox;
class QCheckBox;
class QComboBox;
class QLabel;
class WindowCommands;

// The window's top row: the logo, "Выход", the find box with the search commands' buttons,
// the zoom, the document pane's switch, and the About and help buttons.
class TopRow final : public QFrame
{
    Q_OBJECT
public:
    TopRow(FindBox* findBox, QComboBox* scopeChooser, const WindowCommands* commands,
           QWidget* parent);

    QComboBox* zoomBox() const { return m_zoomBox; }
    // Beside the find box: the search's mode while it is not the plain one ("в любой форме").
    void setSearchModeText(const QString& text);
    QLabel* searchModeLabel() const { return m_modeLabel; }
    QCheckBox* showDocumentBox() const { return m_showDocumentBox; }
    // The zoom of the selected item of the zoom box (1.0 when none is selected).
    double selectedZoomFactor() const;
    // Selects the stored zoom (nothing for an index outside the list) and stores each zoom
    // the user chooses.
    void useSettings(AppSettings* settings);
    // The next (+1) or previous (-1) zoom of the box, as Ctrl+wheel over the page asks.
    void stepZoom(int step);
    // The first zoom of the box, 100 %, as Ctrl+0 asks.
    void resetZoom();

signals:
    // The user chose a zoom.
    void zoomChosen();
    void exitRequested();
    void helpRequested();
    // The About button, or a double click on the logo.
    void aboutRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* m_logo = nullptr;
    QLabel* m_modeLabel = nullptr;
    QComboBox* m_zoomBox = nullptr;
    QCheckBox* m_showDocumentBox = nullptr;
};
