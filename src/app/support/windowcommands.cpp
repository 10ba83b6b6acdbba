#include "support/windowcommands.h"

#include "support/pictures.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QWidget>

#include <optional>

namespace {

#ifdef Q_OS_WIN
constexpr const char* OpenInEditorCaption = "Открыть в Microsoft &Word";
#else
constexpr const char* OpenInEditorCaption = "Открыть в &редакторе";
#endif

struct CommandText
{
    WindowCommands::Command command;
    const char* objectName;
    const char* caption;
    QKeySequence keys;
    std::optional<Pictures::Picture> icon;
    bool separatorBefore;
    bool inMenu = true;
};

} // namespace

WindowCommands::WindowCommands(QWidget* keyScope, QWidget* window) : QObject(window)
{
    m_treeMenu = new QMenu(window);
    m_treeMenu->setObjectName(QStringLiteral("treeMenu"));
    const CommandText commands[] = {
        {Open, "openAction", "О&ткрыть...", QKeySequence(Qt::CTRL | Qt::Key_O),
         Pictures::Picture::Open, false},
        {Refresh, "refreshAction", "О&бновить все", QKeySequence(Qt::CTRL | Qt::Key_R),
         Pictures::Picture::Refresh, true},
        {OpenAllFolders, "openAllFoldersAction", "&Открыть все папки", QKeySequence(),
         Pictures::Picture::OpenAllFolders, true},
        {CloseAllFolders, "closeAllFoldersAction", "&Закрыть все папки",
         QKeySequence(Qt::CTRL | Qt::Key_C), Pictures::Picture::CloseAllFolders, false},
        {Delete, "deleteAction", "У&далить...", QKeySequence(Qt::CTRL | Qt::Key_Delete),
         Pictures::Picture::Delete, true},
        {CopyTo, "copyToAction", "Скопировать в...", QKeySequence(Qt::CTRL | Qt::Key_S),
         Pictures::Picture::CopyTo, false},
        {SetBookmark,
         "setBookmarkAction",
         "&Установить закладку",
         QKeySequence(Qt::Key_F2),
         {},
         true},
        {GoToBookmark,
         "goToBookmarkAction",
         "&Перейти к закладке",
         QKeySequence(Qt::CTRL | Qt::Key_F2),
         {},
         false},
        {BeginSearch, "beginSearchAction", "&Начать поиск", QKeySequence(Qt::CTRL | Qt::Key_F),
         Pictures::Picture::Search, true},
        {CancelSearch, "cancelSearchAction", "От&менить поиск", QKeySequence(Qt::CTRL | Qt::Key_Z),
         Pictures::Picture::CancelSearch, false},
        {SearchOptions, "searchOptionsAction", "Параметры по&иска...",
         QKeySequence(Qt::CTRL | Qt::Key_P), Pictures::Picture::SearchOptions, false},
        {SortByDate, "sortByDateAction", "&Сортировка по дате", QKeySequence(), {}, true},
        // Where there is no Word, the desktop's program for the file opens it.
        {OpenInWord, "openInWordAction", OpenInEditorCaption, QKeySequence(Qt::CTRL | Qt::Key_W),
         Pictures::Picture::OpenInWord, true},
        {CopyPath, "copyPathAction", "Копировать путь", QKeySequence(), {}, false},
        {OpenFolder, "openFolderAction", "Открыть папку документа", QKeySequence(), {}, false},
        {AddFavorite,
         "addFavoriteAction",
         "Добавить в избранное",
         QKeySequence(Qt::CTRL | Qt::Key_D),
         {},
         true},
        {ShowLinks, "showLinksAction", "Связи", QKeySequence(Qt::CTRL | Qt::Key_K), {}, false},
        {ShowOutline,
         "showOutlineAction",
         "Содержание",
         QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O),
         {},
         false},
        {GoToPart,
         "goToPartAction",
         "Перейти к пункту...",
         QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_G),
         {},
         false},
        {OpenInNewTab, "openInNewTabAction", "Открыть в новой вкладке", QKeySequence(), {}, true},
        {SideBySide, "sideBySideAction", "Рядом", QKeySequence(), {}, false},
        {CompareEditions, "compareEditionsAction", "Сравнить редакции", QKeySequence(), {}, false},
        {CompareWith, "compareWithAction", "Сравнить с…", QKeySequence(), {}, false},
        {FindByName,
         "findByNameAction",
         "Найти по названию",
         QKeySequence(Qt::CTRL | Qt::Key_L),
         {},
         false,
         false},
        {NextFoundDocument,
         "nextFoundDocumentAction",
         "Следующий найденный документ",
         QKeySequence(Qt::ALT | Qt::Key_PageDown),
         {},
         false,
         false},
        {PreviousFoundDocument,
         "previousFoundDocumentAction",
         "Предыдущий найденный документ",
         QKeySequence(Qt::ALT | Qt::Key_PageUp),
         {},
         false,
         false},
        {FocusResultList,
         "focusResultListAction",
         "Результаты поиска",
         QKeySequence(Qt::Key_F6),
         {},
         false},
        {FindInPage,
         "findInPageAction",
         "Найти на странице",
         QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F),
         {},
         false,
         false},
        {NextTab,
         "nextTabAction",
         "Следующая вкладка",
         QKeySequence(Qt::CTRL | Qt::Key_Tab),
         {},
         false,
         false},
        {PreviousTab,
         "previousTabAction",
         "Предыдущая вкладка",
         QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab),
         {},
         false,
         false},
        {CloseTab,
         "closeTabAction",
         "Закрыть вкладку",
         QKeySequence(Qt::CTRL | Qt::Key_F4),
         {},
         false,
         false},
        {SearchWithinFound,
         "searchWithinFoundAction",
         "Искать в найденном",
         QKeySequence(),
         {},
         false,
         false},
    };
    for (const CommandText& command : commands) {
        if (command.separatorBefore)
            m_treeMenu->addSeparator();
        QAction* action = nullptr;
        if (command.inMenu) {
            action = m_treeMenu->addAction(QString::fromUtf8(command.caption));
        } else {
            action = new QAction(QString::fromUtf8(command.caption), this);
            action->setShortcut(command.keys);
            action->setShortcutContext(Qt::WindowShortcut);
            window->addAction(action);
        }
        action->setObjectName(QString::fromLatin1(command.objectName));
        if (command.command == AddFavorite || command.command == FocusResultList ||
            command.command == ShowLinks || command.command == ShowOutline ||
            command.command == GoToPart) {
            // From the tree and the viewer alike (the shown document, the result list).
            action->setShortcut(command.keys);
            action->setShortcutContext(Qt::WindowShortcut);
            window->addAction(action);
        } else if (command.inMenu && !command.keys.isEmpty()) {
            action->setShortcut(command.keys);
            // The shortcuts act while the tree has the focus.
            action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
            keyScope->addAction(action);
        }
        if (command.icon)
            action->setIcon(Pictures::icon(*command.icon));
        m_actions[command.command] = action;
    }
    m_actions[SortByDate]->setCheckable(true);
    m_actions[ShowOutline]->setCheckable(true);
    m_actions[SideBySide]->setCheckable(true);
    m_actions[SearchWithinFound]->setCheckable(true);
}

void WindowCommands::addKeyScope(QWidget* scope)
{
    for (QAction* action : m_treeMenu->actions()) {
        if (action->shortcutContext() != Qt::WidgetWithChildrenShortcut ||
            action->shortcut().isEmpty() ||
            action->shortcut().matches(QKeySequence::Copy) == QKeySequence::ExactMatch)
            continue;
        scope->addAction(action);
    }
}
