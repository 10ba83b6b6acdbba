#include "window/windowoutline.h"

#include "settings/appsettings.h"
#include "viewer/documentviewer.h"
#include "viewer/outlinepanel.h"

#include <QAction>
#include <QMainWindow>

WindowOutline::WindowOutline(QMainWindow* window, DocumentViewer* viewer, AppSettings* settings,
                             QAction* toggle, QAction* goTo)
    : QObject(window), m_viewer(viewer), m_settings(settings), m_panel(new OutlinePanel(window)),
      m_toggle(toggle)
{
    window->addDockWidget(Qt::RightDockWidgetArea, m_panel);
    const bool shown = settings->showOutline();
    m_panel->setVisible(shown);
    m_toggle->setChecked(shown);
    connect(m_toggle, &QAction::toggled, m_panel, &QWidget::setVisible);
    // Closed by its own button, or shown again: the command and the setting follow.
    connect(m_panel, &QDockWidget::visibilityChanged, this, [this] {
        // A hidden window hides its panels too; only the reader's choice is kept.
        if (!m_panel->window()->isVisible())
            return;
        const bool visible = !m_panel->isHidden();
        m_toggle->setChecked(visible);
        keepShown(visible);
    });
    connect(goTo, &QAction::triggered, m_panel, &OutlinePanel::focusGoTo);
    connect(m_viewer, &DocumentViewer::structureChanged, this,
            [this] { m_panel->setStructure(m_viewer->shownStructure()); });
    connect(m_viewer, &DocumentViewer::readingPartChanged, m_panel, &OutlinePanel::markPart);
    connect(m_panel, &OutlinePanel::partRequested, m_viewer, &DocumentViewer::showPart);
}

void WindowOutline::keepShown(bool shown)
{
    if (m_settings->showOutline() != shown && !m_settings->setShowOutline(shown))
        emit settingsNotKept();
}
