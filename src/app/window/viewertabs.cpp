#include "window/viewertabs.h"

#include <QFileInfo>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QTabBar>

ViewerTabs::ViewerTabs(QWidget* parent) : QObject(parent)
{
    m_bar = new QTabBar(parent);
    m_bar->setObjectName(QStringLiteral("viewerTabs"));
    m_bar->setTabsClosable(true);
    m_bar->setMovable(false);
    m_bar->setExpanding(false);
    m_bar->setElideMode(Qt::ElideRight);
    m_bar->setUsesScrollButtons(true);
    m_bar->setDocumentMode(true);
    m_bar->installEventFilter(this);
    m_tabs.front().id = ++m_clock;
    connect(m_bar, &QTabBar::currentChanged, this, [this](int index) {
        if (!m_switching && index >= 0 && index != m_current)
            setCurrent(index);
    });
    connect(m_bar, &QTabBar::tabCloseRequested, this, &ViewerTabs::close);
    rebuildBar();
}

bool ViewerTabs::eventFilter(QObject* watched, QEvent* event)
{
    // A middle click closes the tab under the mouse, as in a browser.
    if (watched == m_bar && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::MiddleButton) {
            const int index = m_bar->tabAt(mouse->position().toPoint());
            if (index >= 0)
                close(index);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void ViewerTabs::add(Tab tab)
{
    leave();
    if (count() >= MaxTabs) {
        const int gone = givingWay();
        const QString caption = captionOf(at(gone));
        m_tabs.erase(m_tabs.begin() + gone);
        if (gone < m_current)
            --m_current;
        emit statusNote(QStringLiteral("Открыто не больше %1 вкладок: закрыта вкладка «%2»")
                            .arg(MaxTabs)
                            .arg(caption));
    }
    tab.id = ++m_clock;
    m_tabs.insert(m_tabs.begin() + m_current + 1, std::move(tab));
    ++m_current;
    current().lastShown = ++m_clock;
    rebuildBar();
}

void ViewerTabs::close(int index)
{
    if (count() <= 1 || index < 0 || index >= count())
        return;
    if (index != m_current) {
        m_tabs.erase(m_tabs.begin() + index);
        if (index < m_current)
            --m_current;
        rebuildBar();
        emit closed();
        return;
    }
    // The tab shown goes: its neighbour is shown.
    m_tabs.erase(m_tabs.begin() + index);
    m_current = -1;
    enter(std::min(index, count() - 1));
}

void ViewerTabs::setCurrent(int index)
{
    if (index < 0 || index >= count() || index == m_current)
        return;
    leave();
    enter(index);
}

void ViewerTabs::step(int direction)
{
    if (count() > 1)
        setCurrent((m_current + direction + count()) % count());
}

void ViewerTabs::updateCaption()
{
    if (m_current >= 0 && m_current < m_bar->count()) {
        m_bar->setTabText(m_current, captionOf(current()));
        m_bar->setTabToolTip(m_current, current().title);
    }
}

void ViewerTabs::reset(std::vector<Tab> tabs, int current)
{
    if (tabs.empty())
        tabs.push_back(Tab{});
    m_tabs = std::move(tabs);
    for (Tab& tab : m_tabs)
        tab.id = ++m_clock;
    m_current = std::clamp(current, 0, count() - 1);
    this->current().lastShown = ++m_clock;
    rebuildBar();
}

int ViewerTabs::indexOf(quint64 id) const
{
    for (int i = 0; i < count(); ++i)
        if (at(i).id == id)
            return i;
    return -1;
}

void ViewerTabs::leave()
{
    if (m_current >= 0)
        emit leaving();
}

void ViewerTabs::enter(int index)
{
    m_current = index;
    current().lastShown = ++m_clock;
    rebuildBar();
    emit entered();
}

int ViewerTabs::givingWay() const
{
    int oldest = -1;
    int oldestUnmoved = -1;
    for (int i = 0; i < count(); ++i) {
        if (i == m_current)
            continue;
        if (oldest < 0 || at(i).lastShown < at(oldest).lastShown)
            oldest = i;
        if (!at(i).moved && (oldestUnmoved < 0 || at(i).lastShown < at(oldestUnmoved).lastShown))
            oldestUnmoved = i;
    }
    return oldestUnmoved >= 0 ? oldestUnmoved : oldest;
}

void ViewerTabs::rebuildBar()
{
    const QScopedValueRollback switching(m_switching, true);
    while (m_bar->count() > count())
        m_bar->removeTab(m_bar->count() - 1);
    while (m_bar->count() < count())
        m_bar->addTab(QString());
    for (int i = 0; i < count(); ++i) {
        m_bar->setTabText(i, captionOf(at(i)));
        m_bar->setTabToolTip(i, at(i).title);
    }
    m_bar->setCurrentIndex(m_current);
    // With one tab the window looks as it always has.
    m_bar->setVisible(count() > 1);
}

QString ViewerTabs::captionOf(const Tab& tab)
{
    QString caption = tab.caption;
    if (caption.isEmpty() && !tab.path.isEmpty())
        caption = QFileInfo(tab.path).completeBaseName();
    if (caption.isEmpty())
        caption = QStringLiteral("Новая вкладка");
    return caption.size() > 40 ? caption.left(39) + QChar(0x2026) : caption;
}
