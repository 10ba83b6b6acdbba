#pragma once

#include <QObject>

class AppSettings;
class DocumentViewer;
class OutlinePanel;
class QAction;
class QMainWindow;

// The window's outline: the panel "Содержание" docked beside the viewer, filled with the
// shown page's parts, following the part being read, showing a part the reader picks or
// names ("Перейти к пункту"). Whether the panel is shown is kept in the settings.
class WindowOutline final : public QObject
{
    Q_OBJECT
public:
    // toggle: "Содержание" (checkable); goTo: "Перейти к пункту…".
    WindowOutline(QMainWindow* window, DocumentViewer* viewer, AppSettings* settings,
                  QAction* toggle, QAction* goTo);

    OutlinePanel* panel() const { return m_panel; }

signals:
    // A setting could not be written.
    void settingsNotKept();

private:
    void keepShown(bool shown);

    DocumentViewer* m_viewer;
    AppSettings* m_settings;
    OutlinePanel* m_panel;
    QAction* m_toggle;
};
