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
};

} // namespace

WindowCommands::WindowCommands(const QList<QIcon>& icons, QWidget* keyScope, QWidget* menuParent)
    : QObject(menuParent)
{
    m_treeMenu = new QMenu(menuParent);
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
    };
    for (const CommandText& command : commands) {
        if (command.separatorBefore)
            m_treeMenu->addSeparator();
        QAction* action = m_treeMenu->addAction(QString::fromUtf8(command.caption));
        action->setObjectName(QString::fromLatin1(command.objectName));
        if (!command.keys.isEmpty()) {
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
