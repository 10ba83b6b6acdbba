#pragma once

#include "library/nodehistory.h"
#include "search/showncopy.h"

#include <QObject>
#include <QString>

#include <optional>
#include <vector>

class QTabBar;
class QWidget;

// The viewer's tabs: what each shows and where, over one viewer. Only the current tab's
// document is rendered; each other tab keeps its document, place, zoom, way back and the
// search's marks it was shown with, and is shown anew at its place when it becomes current.
// The bar is hidden while there is one tab.
class ViewerTabs final : public QObject
{
    Q_OBJECT
public:
    struct Tab
    {
        QString path;         // the document or folder shown; empty for none (the root)
        QString comparedWith; // a comparison: the older edition; path is the newer
        QString page;         // a comparison's page, once made
        QString caption;
        QString title; // the node's place, as the title panel shows it
        int scroll = 0;
        int zoomIndex = -1; // of the zoom box; -1: the box's own
        NodeHistory history;
        std::optional<ShownCopy::Marking> marking;
        int occurrence = 0; // the marked occurrence selected, from 1
        bool moved = false; // the reader has gone elsewhere in it since it was opened
        quint64 lastShown = 0;
        quint64 id = 0; // the tab's own, while it is open

        bool isComparison() const { return !comparedWith.isEmpty(); }
    };

    static constexpr int MaxTabs = 30;

    explicit ViewerTabs(QWidget* parent);

    QTabBar* bar() const { return m_bar; }
    int count() const { return int(m_tabs.size()); }
    int currentIndex() const { return m_current; }
    Tab& current() { return m_tabs[std::size_t(m_current)]; }
    const Tab& at(int index) const { return m_tabs[std::size_t(index)]; }
    Tab& at(int index) { return m_tabs[std::size_t(index)]; }

    // Adds tab after the current one and makes it current (the current is left first). At
    // the limit, the tab shown longest ago that the reader never moved in (else the one shown
    // longest ago) is closed, and the status bar says so.
    void add(Tab tab);
    // Closes a tab (not the last one); the tab after it, or before, becomes current.
    void close(int index);
    void setCurrent(int index);
    // The next (+1) or previous (-1) tab, round the ends.
    void step(int direction);
    // The current tab's caption on the bar, after it shows something else.
    void updateCaption();
    // The place of the tab with that id; -1 when it is closed.
    int indexOf(quint64 id) const;
    // All the tabs made anew (at start): the current one is not entered.
    void reset(std::vector<Tab> tabs, int current);

signals:
    // The current tab is about to be left: what it shows and where is to be kept in it.
    void leaving();
    // Another tab has become current: it is to be shown.
    void entered();
    void statusNote(const QString& note);
    // A tab other than the current one was closed.
    void closed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void leave();
    void enter(int index);
    int givingWay() const;
    void rebuildBar();
    static QString captionOf(const Tab& tab);

    QTabBar* m_bar = nullptr;
    std::vector<Tab> m_tabs{Tab{}};
    int m_current = 0;
    quint64 m_clock = 0;
    bool m_switching = false; // the bar's own changes while tabs are added or closed
};
