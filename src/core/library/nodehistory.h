#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// The nodes shown one after another, by their file paths, with a place in between for going
// back and forward as a browser does: showing a new node drops what lay ahead.
class NodeHistory
{
public:
    // A node shown by the user's choice (not by going back or forward).
    void shown(const QString& path);
    // A jump within the current node (a link to a place of the same page): a step of its own,
    // so that going back returns to the place left.
    void jumpedWithin();

    bool canGoBack() const { return m_current > 0; }
    bool canGoForward() const { return m_current + 1 < m_paths.size(); }
    // The path gone back or forward to; empty when there is none.
    QString goBack();
    QString goForward();
    QString current() const { return m_current >= 0 ? m_paths.at(m_current) : QString(); }
    // Where the current node was scrolled to when it was left (0 until then), so that going
    // back to it lands there.
    void setCurrentScroll(int scroll);
    int currentScroll() const { return m_current >= 0 ? m_scrolls.at(m_current) : 0; }

    // Drops the paths whose nodes are gone; the place stays on the same node where it can.
    void keepOnly(const std::function<bool(const QString& path)>& exists);
    void clear();
    const QStringList& paths() const { return m_paths; }

private:
    QStringList m_paths;
    QList<int> m_scrolls; // one for each path
    qsizetype m_current = -1;
};
