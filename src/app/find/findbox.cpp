#include "find/findbox.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>

#include <memory>

FindBox::FindBox(QWidget* parent) : QComboBox(parent)
{
    setObjectName(QStringLiteral("findBox"));
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setMaxVisibleItems(20);
    // The history is offered as a list below the box, never written into what is typed.
    completer()->setCompletionMode(QCompleter::PopupCompletion);
    completer()->setCaseSensitivity(Qt::CaseInsensitive);
    installEventFilter(this);
    lineEdit()->installEventFilter(this);
    // The list of the history open below the box takes Enter first: it must search too.
    completer()->popup()->installEventFilter(this);
    lineEdit()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(lineEdit(), &QWidget::customContextMenuRequested, this, &FindBox::showMenu);
}

void FindBox::showMenu(const QPoint& at)
{
    const std::unique_ptr<QMenu> menu(lineEdit()->createStandardContextMenu());
    if (!m_menuActions.isEmpty()) {
        menu->addSeparator();
        menu->addActions(m_menuActions);
    }
    menu->exec(lineEdit()->mapToGlobal(at));
}

void FindBox::setHistory(const QStringList& history)
{
    const QSignalBlocker blocker(this);
    clear();
    addItems(history);
    setCurrentIndex(-1);
    setEditText(QString());
}

QSize FindBox::sizeHint() const
{
    return QSize(205, QComboBox::sizeHint().height());
}

QSize FindBox::minimumSizeHint() const
{
    // In a narrow window the box gives up some width before the window grows.
    return QSize(150, QComboBox::minimumSizeHint().height());
}

QStringList FindBox::history() const
{
    QStringList entries;
    for (int i = 0; i < count(); ++i)
        entries.append(itemText(i));
    return entries;
}

bool FindBox::eventFilter(QObject* watched, QEvent* event)
{
    // The box's own arrow keys and wheel would run a search at every step through the history.
    if (event->type() == QEvent::Wheel)
        return true;
    if (event->type() != QEvent::KeyPress)
        return QComboBox::eventFilter(watched, event);
    const auto* keyEvent = static_cast<QKeyEvent*>(event);
    const int key = keyEvent->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (watched == completer()->popup()) {
            // An entry chosen in the list is what is searched; else what is typed.
            const QModelIndex chosen = completer()->popup()->currentIndex();
            if (chosen.isValid())
                setEditText(chosen.data().toString());
            completer()->popup()->hide();
        }
        emit searchRequested();
        return true;
    }
    if (watched == completer()->popup())
        return QComboBox::eventFilter(watched, event);
    if (key == Qt::Key_Escape && watched == lineEdit())
        emit escapePressed();
    if ((key == Qt::Key_Up || key == Qt::Key_Down) && !(keyEvent->modifiers() & Qt::AltModifier)) {
        const int index = currentIndex() + (key == Qt::Key_Down ? 1 : -1);
        if (index >= 0 && index < count())
            setCurrentIndex(index);
        return true;
    }
    return QComboBox::eventFilter(watched, event);
}
