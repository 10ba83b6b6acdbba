#pragma once

#include "library/collectionlists.h"
#include "tree/documenttree.h"

#include <QIcon>
#include <QList>
#include <QWidget>

#include <memory>

class AppSettings;
class BackgroundTask;
class WindowCommands;
class NameFilter;
class QLineEdit;
#include "support/elidedtoolbutton.h"
class QTreeWidget;
class QTreeWidgetItem;
struct SearchResult;

// The left pane: the two collection buttons above the document tree. It owns the tree of the
// chosen collection (browsed, or in search state only the found documents), the bookmark,
// and the commands that act on the selected node: open or close all folders, delete, copy,
// open in the word processor.
class DocumentTreePanel final : public QWidget
{
    Q_OBJECT
public:
    explicit DocumentTreePanel(QWidget* parent);
    ~DocumentTreePanel() override;

    QTreeWidget* view() const { return m_view; }
    // The tree of the collection; null before the first build.
    DocumentTree* tree() const { return m_tree.get(); }
    QTreeWidgetItem* selectedNode() const;
    // The selected node as the window and the search know it.
    TreeNode selected() const;
    // The path the selected node stands for (empty for none or the root).
    QString selectedPath() const;
    // Opens the selected folder.
    void expandSelected();

    // Collections: the suite's normative documents (or an external folder) and the technical
    // parts listed in the installation table.
    ElidedToolButton* normativeButton() const { return m_normativeButton; }
    ElidedToolButton* technicalButton() const { return m_technicalButton; }
    bool isNormativeCollection() const;
    void setNormativeCollection(bool normative);
    void setSuiteDir(const QString& suiteDir) { m_suiteDir = suiteDir; }
    // The commands on the selected node act on this tree: opening and closing folders,
    // deleting, copying, the bookmark, the word processor, the path, the file manager, the
    // name filter; the context menu is the commands' tree menu.
    void attachCommands(WindowCommands* commands);
    // The commands' enabled states follow the selected node.
    void updateCommands();

    // The program's settings, where the folder copied to last is kept.
    void setSettings(AppSettings* settings) { m_settings = settings; }
    QString externalDirectory() const { return m_externalDirectory; }
    void setExternalDirectory(const QString& folder) { m_externalDirectory = folder; }
    // Asks for the folder of the normative documents (the suite's own or an external one) and
    // keeps it in the settings; false when the user cancelled.
    bool chooseExternalDirectory();
    // Lists the folders and captions of the chosen collection, kept until the next listing;
    // false when the table of the technical parts could not be read (the user has been told,
    // once, and the collection is empty).
    bool loadCollection();
    const Collection& collection() const { return m_collection; }

    bool sortByDate() const { return m_sortByDate; }
    void setSortByDate(bool byDate) { m_sortByDate = byDate; }

    // Builds the tree of the listed collection afresh: browsing, or in search state with
    // found, the findings of a search of its folders with the given options.
    void rebuild(const MatchOptions& options, const SearchResult* found);
    // While the tree is being built or looked through, its selections are not the user's.
    bool isBuilding() const { return m_building; }
    // Something runs on the window's thread that the window must not close under.
    bool isBusy() const { return m_busy; }

    // Selects the node of a file or folder of the tree (its folders opened); false when the
    // tree has none.
    bool selectPath(const QString& path);
    // Selects a found document of the search tree; false when it is not in the tree.
    bool selectFoundDocument(const QString& path);
    // The documents of the tree in its order, top to bottom, collapsed folders included.
    QStringList documentsInTreeOrder() const;

    // The bookmark: the path of a node, kept across runs.
    QString bookmark() const { return m_bookmark; }
    void setBookmark(const QString& path) { m_bookmark = path; }
    void bookmarkSelected();
    // Looks for the bookmark's node behind a progress window; false, with a message, when
    // none is found.
    bool goToBookmark();

    void expandAll();
    // Opens every folder below node (the whole tree without one).
    void expandBelow(QTreeWidgetItem* node);
    void collapseAll();
    // Asks, then deletes the selected folder or document (never the root).
    void deleteSelected(const QString& caption);
    // Copies the selected node into a folder the user chooses, in the background.
    void copySelected();
    bool isCopying() const { return m_copy != nullptr; }
    void stopCopy();
    void openSelectedInEditor();
    // The selected node's full path to the clipboard.
    void copySelectedPath();
    // The selected document's folder (or the selected folder) in the desktop's file manager.
    void openSelectedFolder();

    // "Найти по названию": the field above the tree and the tree of the names that match.
    QLineEdit* nameFilterField() const { return m_filterField; }
    QTreeWidget* nameFilterView() const { return m_filterView; }
    NameFilter* nameFilter() const { return m_names; }
    void focusNameFilter();
    // The tree comes back as it was, with the node chosen in the filter selected.
    void clearNameFilter();

signals:
    // The user chose a collection with its button.
    void collectionChosen();
    // The selected node changed by the user's hand or a command (not by a build).
    void selectionChanged();
    // A node was asked for in a new tab (a middle click, Ctrl+click): its path.
    void newTabRequested(const QString& path);
    // The window deleted or copied files of the library.
    void filesChanged();
    // A line for the status bar: how a copy ended.
    void statusMessage(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ElidedToolButton* m_normativeButton = nullptr;
    ElidedToolButton* m_technicalButton = nullptr;
    QTreeWidget* m_view = nullptr;
    QLineEdit* m_filterField = nullptr;
    QTreeWidget* m_filterView = nullptr;
    NameFilter* m_names = nullptr;
    std::unique_ptr<DocumentTree> m_tree;
    Collection m_collection;
    std::unique_ptr<BackgroundTask> m_copy;
    QString m_suiteDir;
    AppSettings* m_settings = nullptr;
    WindowCommands* m_commands = nullptr;
    QString m_externalDirectory;
    QString m_bookmark;
    bool m_sortByDate = false;
    bool m_building = false;
    bool m_busy = false;
};
