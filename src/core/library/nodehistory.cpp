#include "library/nodehistory.h"

void NodeHistory::shown(const QString& path)
{
    if (path.isEmpty() || current() == path)
        return;
    m_paths.resize(m_current + 1);
    m_scrolls.resize(m_current + 1);
    m_paths.append(path);
    m_scrolls.append(0);
    m_current = m_paths.size() - 1;
}

void NodeHistory::jumpedWithin()
{
    if (m_current < 0)
        return;
    const QString path = m_paths.at(m_current);
    m_paths.resize(m_current + 1);
    m_scrolls.resize(m_current + 1);
    m_paths.append(path);
    m_scrolls.append(0);
    m_current = m_paths.size() - 1;
}

void NodeHistory::setCurrentScroll(int scroll)
{
    if (m_current >= 0)
        m_scrolls[m_current] = qMax(0, scroll);
}

QString NodeHistory::goBack()
{
    if (!canGoBack())
        return QString();
    return m_paths.at(--m_current);
}

QString NodeHistory::goForward()
{
    if (!canGoForward())
        return QString();
    return m_paths.at(++m_current);
}

void NodeHistory::keepOnly(const std::function<bool(const QString&)>& exists)
{
    QStringList kept;
    QList<int> keptScrolls;
    qsizetype current = -1;
    bool removed = false; // since the last path kept
    for (qsizetype i = 0; i < m_paths.size(); ++i) {
        if (!exists(m_paths.at(i))) {
            removed = true;
            continue;
        }
        // Neighbours left equal by the removal count once (steps within one page stay).
        const bool madeNeighbours = removed;
        removed = false;
        if (madeNeighbours && !kept.isEmpty() && kept.last() == m_paths.at(i)) {
            if (i <= m_current)
                current = kept.size() - 1;
            continue;
        }
        kept.append(m_paths.at(i));
        keptScrolls.append(m_scrolls.at(i));
        if (i <= m_current)
            current = kept.size() - 1;
    }
    m_paths = kept;
    m_scrolls = keptScrolls;
    m_current = kept.isEmpty() ? -1 : qMax<qsizetype>(current, 0);
}

void NodeHistory::clear()
{
    m_paths.clear();
    m_scrolls.clear();
    m_current = -1;
}
