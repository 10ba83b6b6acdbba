#pragma once

#include "compare/comparisonfile.h"
#include "support/latestwork.h"
#include "window/viewertabs.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class AppSettings;
class DocumentOpener;
class DocumentTreePanel;
class DocumentViewer;
class NodeNavigation;
class NormCatalog;
class QComboBox;
class QSplitter;
class QWidget;
class SearchController;
class SidePane;
class WindowCommands;

// The window's tabs: the bar above the viewer, what each tab shows and where (kept in the
// settings from one run to the next), a document opened in a new tab, two tabs side by side,
// and two editions compared in a tab of their own. The viewer shows the current tab; the tree
// follows it.
class WindowTabs final : public QObject
{
    Q_OBJECT
public:
    struct Parts
    {
        DocumentTreePanel* tree;
        DocumentViewer* viewer;
        NodeNavigation* navigation;
        DocumentOpener* opener;
        const SearchController* search;
        QComboBox* zoomBox;
        AppSettings* settings;
        WindowCommands* commands;
        std::function<std::shared_ptr<const NormCatalog>()> catalog;
        // Shows the node selected in the tree, as a click in it does.
        std::function<void()> showSelected;
    };

    // pane: the document's pane, which holds the viewer; the bar and the side pane go in it.
    WindowTabs(const Parts& parts, QWidget* pane, QObject* parent);
    ~WindowTabs() override;

    ViewerTabs* tabs() const { return m_tabs; }
    SidePane* sidePane() const { return m_side; }
    // Set while a tab is being shown: the tree's selection is then not shown by the window.
    bool isShowingTab() const { return m_showingTab; }

    // A new tab after the current one, current from now on; the next document shown goes
    // into it.
    void prepareNewTab();
    // The document or folder at path in a new tab; select puts its node in the tree (false:
    // the tree has none).
    void openInNewTab(const QString& path, const std::function<bool(const QString&)>& select);
    // The current tab shows what the viewer shows now.
    void recordShown(const QString& caption, const QString& title);
    // The documents at path and olderPath compared, in a tab of their own.
    void compare(const QString& olderPath, const QString& newerPath);
    // A part of a document (a comparison's link): beside, while side by side, else in a tab.
    void showDocumentPart(const QString& path, const QString& part);

    // The tabs of the last run, when there were several: the current one is shown (shown),
    // and the status bar's note of those left out, their documents gone (note).
    struct Restored
    {
        bool shown = false;
        QString note;
    };
    Restored restore();
    void save();

signals:
    void statusNote(const QString& note);
    // A line for the status bar while a comparison is made (empty: done).
    void statusMessage(const QString& text);

private:
    void keepPlace();
    void showCurrent();
    void showComparison(ViewerTabs::Tab& tab);
    // Makes the page of two documents compared apart from the window, the status bar saying
    // so meanwhile, and hands it to done; false (said) when there is no working folder.
    bool
    makeComparison(const QString& olderPath, const QString& newerPath,
                   std::function<void(const ComparisonPage::Source&, const ComparisonPage::Source&,
                                      const ComparisonFile::Made&)>
                       done);
    void compareShown();
    void compareWith();
    void setSideBySide(bool on);
    void showPartner();
    // The tab shown beside, or -1.
    int partner() const;
    QString currentDocument() const;
    QString captionOf(const QString& path) const;

    Parts m_parts;
    ViewerTabs* m_tabs = nullptr;
    SidePane* m_side = nullptr;
    QSplitter* m_split = nullptr;
    int m_partner = -1; // the tab beside, by its place in the order of use
    quint64 m_partnerShown = 0;
    bool m_showingTab = false;
    int m_comparisons = 0;
    // The comparison being made; only the latest is shown.
    LatestWork<ComparisonFile::Made> m_making{this};
};
