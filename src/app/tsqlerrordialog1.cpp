#include "tsqlerrordialog1.h"

#include <QAction>
#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

TSQLErrorDialog1::TSQLErrorDialog1(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("SQLErrorDialog1"));
    setWindowTitle(QStringLiteral("Ошибка"));

    auto* header = new QWidget(this);
    header->setObjectName(QStringLiteral("HeaderPanel1"));
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
    QueryMemo1 = makeMemo(QStringLiteral("QueryMemo1"));
    ErrorMemo1 = makeMemo(QStringLiteral("ErrorMemo1"));
    ErrorMemo1->setStyleSheet(QStringLiteral("QTextEdit { background: #fffbf0; }"));

    // Both menus act on the statement text.
    SelectAllItem1 = new QAction(QStringLiteral("&Выделить все"), this);
    SelectAllItem1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    connect(SelectAllItem1, &QAction::triggered, QueryMemo1, &QTextEdit::selectAll);
    CopyItem1 = new QAction(QStringLiteral("&Копировать"), this);
    CopyItem1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    connect(CopyItem1, &QAction::triggered, QueryMemo1, &QTextEdit::copy);

    auto* closeButton = new QPushButton(QStringLiteral("Закрыть"), this);
    closeButton->setObjectName(QStringLiteral("CloseButton1"));
    connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(header);
    layout->addWidget(new QLabel(QStringLiteral("Текст запроса:"), this));
    layout->addWidget(QueryMemo1);
    layout->addWidget(new QLabel(QStringLiteral("Текст ошибки:"), this));
    layout->addWidget(ErrorMemo1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(closeButton);
    layout->addLayout(buttons);
    resize(480, 360);
}

void TSQLErrorDialog1::showMemoMenu(QTextEdit* memo, const QPoint& position)
{
    CopyItem1->setEnabled(QueryMemo1->textCursor().hasSelection());
    QMenu menu(this);
    menu.addAction(SelectAllItem1);
    menu.addAction(CopyItem1);
    menu.exec(memo->viewport()->mapToGlobal(position));
}

void TSQLErrorDialog1::showEvent(QShowEvent* event)
{
    QApplication::beep();
    QDialog::showEvent(event);
}

void TSQLErrorDialog1::keyReleaseEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape)
        reject();
    QDialog::keyReleaseEvent(event);
}
