#include "windowcommands.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QWidget>

namespace {

struct CommandText
{
    WindowCommands::Command command;
    const char* objectName;
    const char* caption;
    QKeySequence keys;
    int icon; // index into the window's icons; -1 for none
    bool separatorBefore;
    bool inMenu = true;
};

} // namespace

WindowCommands::WindowCommands(const QList<QIcon>& icons, QWidget* keyScope, QWidget* window)
    : QObject(window)
{
    m_treeMenu = new QMenu(window);
    m_treeMenu->setObjectName(QStringLiteral("treeMenu"));
    const CommandText commands[] = {
        {Open, "openAction", "О&ткрыть...", QKeySequence(Qt::CTRL | Qt::Key_O), 5, false},
        {Refresh, "refreshAction", "О&бновить все", QKeySequence(Qt::CTRL | Qt::Key_R), 4, true},
        {OpenAllFolders, "openAllFoldersAction", "&Открыть все папки", QKeySequence(), 3, true},
        {CloseAllFolders, "closeAllFoldersAction", "&Закрыть все папки",
         QKeySequence(Qt::CTRL | Qt::Key_C), 2, false},
        {Delete, "deleteAction", "У&далить...", QKeySequence(Qt::CTRL | Qt::Key_Delete), 6, true},
        {CopyTo, "copyToAction", "Скопировать в...", QKeySequence(Qt::CTRL | Qt::Key_S), 11, false},
        {SetBookmark, "setBookmarkAction", "&Установить закладку", QKeySequence(Qt::Key_F2), -1,
         true},
        {GoToBookmark, "goToBookmarkAction", "&Перейти к закладке",
         QKeySequence(Qt::CTRL | Qt::Key_F2), -1, false},
        {BeginSearch, "beginSearchAction", "&Начать поиск", QKeySequence(Qt::CTRL | Qt::Key_F), 8,
         true},
        {CancelSearch, "cancelSearchAction", "От&менить поиск", QKeySequence(Qt::CTRL | Qt::Key_Z),
         9, false},
        {SearchOptions, "searchOptionsAction", "Параметры по&иска...",
         QKeySequence(Qt::CTRL | Qt::Key_P), 10, false},
        {SortByDate, "sortByDateAction", "&Сортировка по дате", QKeySequence(), -1, true},
        {OpenInWord, "openInWordAction", "Открыть в Microsoft &Word",
         QKeySequence(Qt::CTRL | Qt::Key_W), 7, true},
        {CopyPath, "copyPathAction", "Копировать путь", QKeySequence(), -1, false},
        {OpenFolder, "openFolderAction", "Открыть папку документа", QKeySequence(), -1, false},
        {AddFavorite, "addFavoriteAction", "Добавить в избранное",
         QKeySequence(Qt::CTRL | Qt::Key_D), -1, true},
        {FindByName, "findByNameAction", "Найти по названию", QKeySequence(Qt::CTRL | Qt::Key_L),
         -1, false, false},
        {NextFoundDocument, "nextFoundDocumentAction", "Следующий найденный документ",
         QKeySequence(Qt::ALT | Qt::Key_PageDown), -1, false, false},
        {PreviousFoundDocument, "previousFoundDocumentAction", "Предыдущий найденный документ",
         QKeySequence(Qt::ALT | Qt::Key_PageUp), -1, false, false},
        {FocusResultList, "focusResultListAction", "Результаты поиска", QKeySequence(Qt::Key_F6),
         -1, false},
        {FindInPage, "findInPageAction", "Найти на странице",
         QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F), -1, false, false},
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
        if (command.command == AddFavorite || command.command == FocusResultList) {
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
        if (command.icon >= 0)
            action->setIcon(icons.value(command.icon));
        m_actions[command.command] = action;
    }
    m_actions[SortByDate]->setCheckable(true);
}
