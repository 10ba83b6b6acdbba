#pragma once

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

    bool canGoBack() const { return m_current > 0; }
    bool canGoForward() const { return m_current + 1 < m_paths.size(); }
    // The path gone back or forward to; empty when there is none.
    QString goBack();
    QString goForward();
    QString current() const { return m_current >= 0 ? m_paths.at(m_current) : QString(); }

    // Drops the paths whose nodes are gone; the place stays on the same node where it can.
    void keepOnly(const std::function<bool(const QString& path)>& exists);
    void clear();
    const QStringList& paths() const { return m_paths; }

private:
    QStringList m_paths;
    qsizetype m_current = -1;
};
