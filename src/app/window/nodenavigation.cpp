#include "nodenavigation.h"

#include "documentviewer.h"

#include "flatbutton.h"

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
    connect(viewer, &DocumentViewer::backRequested, this, &NodeNavigation::goBack);
    connect(viewer, &DocumentViewer::forwardRequested, this, &NodeNavigation::goForward);
    connect(this, &NodeNavigation::changed, viewer,
            [this, viewer] { viewer->setHistoryAvailable(canGoBack(), canGoForward()); });
}

void NodeNavigation::recordShown(const QString& path)
{
    if (m_navigating)
        return;
    m_history.shown(path);
    emit changed();
}

void NodeNavigation::keepOnly(const std::function<bool(const QString&)>& stillThere)
{
    m_history.keepOnly(stillThere);
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
    while (back ? m_history.canGoBack() : m_history.canGoForward()) {
        if (m_showPath(back ? m_history.goBack() : m_history.goForward()))
            break;
    }
    emit changed();
}
