#include "dialogs/tableerrordialog.h"

#include <QAction>
#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

TableErrorDialog::TableErrorDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("tableErrorDialog"));
    setWindowTitle(QStringLiteral("Ошибка"));

    auto* header = new QWidget(this);
    header->setObjectName(QStringLiteral("headerLabel"));
    header->setAutoFillBackground(true);
    header->setStyleSheet(QStringLiteral("background: white;"));
    auto* headerLayout = new QVBoxLayout(header);
    for (const QString& text : {QStringLiteral("Внимание !"),
                                QStringLiteral("Произошла ошибка при выполнении SQL-запроса.")}) {
        auto* label = new QLabel(text, header);
        label->setStyleSheet(QStringLiteral("color: red; font-weight: bold;"));
        headerLayout->addWidget(label);
    }

    const auto makeMemo = [this](const QString& name) {
        auto* memo = new QTextEdit(this);
        memo->setObjectName(name);
        memo->setReadOnly(true);
        memo->setLineWrapMode(QTextEdit::NoWrap);
        memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        memo->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(memo, &QWidget::customContextMenuRequested, this,
                [this, memo](const QPoint& position) { showMemoMenu(memo, position); });
        return memo;
    };
    m_queryText = makeMemo(QStringLiteral("queryText"));
    m_errorText = makeMemo(QStringLiteral("errorText"));
    m_errorText->setStyleSheet(QStringLiteral("QTextEdit { background: #fffbf0; }"));

    // Both menus act on the statement text.
    m_selectAllAction = new QAction(QStringLiteral("&Выделить все"), this);
    m_selectAllAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    connect(m_selectAllAction, &QAction::triggered, m_queryText, &QTextEdit::selectAll);
    m_copyAction = new QAction(QStringLiteral("&Копировать"), this);
    m_copyAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    connect(m_copyAction, &QAction::triggered, m_queryText, &QTextEdit::copy);

    auto* closeButton = new QPushButton(QStringLiteral("Закрыть"), this);
    closeButton->setObjectName(QStringLiteral("closeButton"));
    connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(header);
    layout->addWidget(new QLabel(QStringLiteral("Текст запроса:"), this));
    layout->addWidget(m_queryText);
    layout->addWidget(new QLabel(QStringLiteral("Текст ошибки:"), this));
    layout->addWidget(m_errorText);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(closeButton);
    layout->addLayout(buttons);
    resize(480, 360);
}

void TableErrorDialog::showMemoMenu(QTextEdit* memo, const QPoint& position)
{
    m_copyAction->setEnabled(m_queryText->textCursor().hasSelection());
    QMenu menu(this);
    menu.addAction(m_selectAllAction);
    menu.addAction(m_copyAction);
    menu.exec(memo->viewport()->mapToGlobal(position));
}

void TableErrorDialog::showEvent(QShowEvent* event)
{
    QApplication::beep();
    QDialog::showEvent(event);
}

void TableErrorDialog::keyReleaseEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape)
        reject();
    QDialog::keyReleaseEvent(event);
}
