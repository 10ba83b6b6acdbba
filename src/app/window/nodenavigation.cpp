#include "window/nodenavigation.h"

#include "platform/platform.h"
#include "tree/documenttree.h"
#include "viewer/documentviewer.h"

#include "support/flatbutton.h"

#include <QAction>
#include <QKeySequence>
#include <QScopedValueRollback>
#include <QStyle>
#include <QToolButton>
#include <QWidget>

NodeNavigation::NodeNavigation(std::function<bool(const QString&)> showPath, QWidget* window)
    : QObject(window), m_showPath(std::move(showPath))
{
    const auto button = [window](const QString& name, const QString& text, const QString& hint,
                                 QStyle::StandardPixmap icon) {
        QToolButton* made = makeFlatButton(window, name, text, hint);
        made->setIcon(window->style()->standardIcon(icon));
        made->setToolButtonStyle(Qt::ToolButtonIconOnly);
        return made;
    };
    m_back = button(QStringLiteral("backButton"), QStringLiteral("Назад"),
                    QStringLiteral("К предыдущему показанному документу (Alt+Влево)"),
                    QStyle::SP_ArrowBack);
    m_forward = button(QStringLiteral("forwardButton"), QStringLiteral("Вперёд"),
                       QStringLiteral("К следующему показанному документу (Alt+Вправо)"),
                       QStyle::SP_ArrowForward);
    connect(m_back, &QToolButton::clicked, this, &NodeNavigation::goBack);
    connect(m_forward, &QToolButton::clicked, this, &NodeNavigation::goForward);
    const auto addShortcut = [this, window](QKeySequence::StandardKey key, auto slot) {
        auto* action = new QAction(window);
        action->setShortcuts(QKeySequence::keyBindings(key));
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, slot);
        window->addAction(action);
    };
    addShortcut(QKeySequence::Back, &NodeNavigation::goBack);
    addShortcut(QKeySequence::Forward, &NodeNavigation::goForward);
    connect(this, &NodeNavigation::changed, this, [this] {
        m_back->setEnabled(canGoBack());
        m_forward->setEnabled(canGoForward());
    });
    emit changed();
}

void NodeNavigation::follow(DocumentViewer* viewer)
{
    m_viewer = viewer;
    connect(viewer, &DocumentViewer::backRequested, this, &NodeNavigation::goBack);
    connect(viewer, &DocumentViewer::forwardRequested, this, &NodeNavigation::goForward);
    connect(viewer, &DocumentViewer::jumpedWithin, this, [this](int from) {
        // The place left is kept, and the jump is a step.
        if (m_navigating || m_viewer->shownDocument() != m_history.current())
            return;
        m_history.setCurrentScroll(from);
        m_history.jumpedWithin();
        emit changed();
    });
    connect(this, &NodeNavigation::changed, viewer,
            [this, viewer] { viewer->setHistoryAvailable(canGoBack(), canGoForward()); });
}

void NodeNavigation::recordShown(const QString& path)
{
    if (m_navigating)
        return;
    keepScroll();
    m_history.shown(path);
    emit changed();
}

NodeHistory NodeNavigation::keptHistory()
{
    keepScroll();
    return m_history;
}

void NodeNavigation::setHistory(const NodeHistory& history)
{
    m_history = history;
    emit changed();
}

void NodeNavigation::keepExisting(const DocumentTree* tree)
{
    m_history.keepOnly([tree](const QString& path) {
        return tree->hasNodeForPath(path) || Platform::isFile(path) || Platform::isFolder(path);
    });
    emit changed();
}

void NodeNavigation::goBack()
{
    go(true);
}

void NodeNavigation::goForward()
{
    go(false);
}

void NodeNavigation::go(bool back)
{
    const QScopedValueRollback navigating(m_navigating, true);
    keepScroll();
    bool shown = false;
    while (!shown && (back ? m_history.canGoBack() : m_history.canGoForward())) {
        const QString path = back ? m_history.goBack() : m_history.goForward();
        if (m_viewer && path == m_viewer->shownDocument()) {
            // A step within the page shown: it scrolls back or on to its place.
            m_viewer->scrollTo(m_history.currentScroll());
            shown = true;
            break;
        }
        if (m_viewer)
            m_viewer->setPendingScroll(m_history.currentScroll());
        shown = m_showPath(path);
    }
    if (m_viewer && !shown)
        m_viewer->setPendingScroll(0); // nothing shown: no place to go to
    emit changed();
}

void NodeNavigation::keepScroll()
{
    if (m_viewer && !m_history.current().isEmpty() &&
        m_viewer->shownDocument() == m_history.current())
        m_history.setCurrentScroll(qRound(m_viewer->scrollPosition()));
}
