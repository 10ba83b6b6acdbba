#pragma once

#include <QIcon>
#include <QList>
#include <QObject>

#include <array>

class QAction;
class QMenu;
class QWidget;

// The window's commands, each declared once with its text, keys and icon: the tree's context
// menu and the buttons are built from them, and their enabled state is set here.
class WindowCommands final : public QObject
{
    Q_OBJECT
public:
    enum Command
    {
        Open,
        Refresh,
        OpenAllFolders,
        CloseAllFolders,
        Delete,
        CopyTo,
        SetBookmark,
        GoToBookmark,
        BeginSearch,
        CancelSearch,
        SearchOptions,
        SortByDate,
        OpenInWord,
        CopyPath,
        OpenFolder,
        AddFavorite,
        ShowLinks,
        ShowOutline,
        GoToPart,
        OpenInNewTab,
        SideBySide,
        CompareEditions,
        CompareWith,
        // Keys of the whole window, not in the tree's menu.
        FindByName,
        NextFoundDocument,
        PreviousFoundDocument,
        FocusResultList,
        FindInPage,
        NextTab,
        PreviousTab,
        CloseTab,
        // In the find box's menu and beside the result list.
        SearchWithinFound,
        CommandCount
    };

    // The menu's keys act while keyScope (the document tree) or a widget in it has the focus;
    // the window's own keys anywhere in window.
    WindowCommands(QWidget* keyScope, QWidget* window);
    // The menu's keys act also while scope or a widget in it has the focus; those a page
    // uses itself (Ctrl+C copies the page's selection) stay with it.
    void addKeyScope(QWidget* scope);

    QAction* action(Command command) const { return m_actions.at(command); }
    // The tree's context menu.
    QMenu* treeMenu() const { return m_treeMenu; }

private:
    std::array<QAction*, CommandCount> m_actions{};
    QMenu* m_treeMenu = nullptr;
};
