#include "tfindresultdialog1.h"

#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
QLabel* panel(QWidget* parent, const QString& name, const QString& text, const QString& colour)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label->setMinimumHeight(24);
    label->setStyleSheet(QStringLiteral("QLabel { background: %1; }").arg(colour));
    return label;
}
} // namespace

TFindResultDialog1::TFindResultDialog1(const QString& context, int checked, int found,
                                       QWidget* parent, int unreadable, bool suggestTextMode)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FindResultDialog1"));
    setWindowTitle(QStringLiteral("Результаты поиска"));
    int height = 256;

    auto* done = new QLabel(QStringLiteral("Поиск завершен."), this);
    QFont bold = done->font();
    bold.setBold(true);
    done->setFont(bold);

    ContextMemo1 = new QPlainTextEdit(this);
    ContextMemo1->setObjectName(QStringLiteral("ContextMemo1"));
    ContextMemo1->setReadOnly(true);
    ContextMemo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    ContextMemo1->setStyleSheet(QStringLiteral("QPlainTextEdit { background: #fffbf0; }"));
    ContextMemo1->setPlainText(context);
    ContextMemo1->moveCursor(QTextCursor::Start);

    const QString green = QStringLiteral("#ccffcc");
    const QString cream = QStringLiteral("#fffbf0");
    TotalDocPanel1 = panel(this, QStringLiteral("TotalDocPanel1"), QString::number(checked), cream);
    FindDocPanel1 = panel(this, QStringLiteral("FindDocPanel1"), QString::number(found), cream);
    auto* counts = new QGridLayout;
    counts->addWidget(panel(this, QStringLiteral("TotalCaptionPanel1"),
                            QStringLiteral(" Проверено документов"), green),
                      0, 0);
    counts->addWidget(TotalDocPanel1, 0, 1);
    counts->addWidget(panel(this, QStringLiteral("FindCaptionPanel1"),
                            QStringLiteral(" Найдено документов"), green),
                      1, 0);
    counts->addWidget(FindDocPanel1, 1, 1);
    if (unreadable > 0) {
        UnreadablePanel1 =
            panel(this, QStringLiteral("UnreadablePanel1"), QString::number(unreadable), cream);
        counts->addWidget(panel(this, QStringLiteral("UnreadableCaptionPanel1"),
                                QStringLiteral(" Не удалось прочитать"), green),
                          2, 0);
        counts->addWidget(UnreadablePanel1, 2, 1);
        height += 30;
    }
    if (suggestTextMode) {
        TextModeHint1 = new QLabel(
            QStringLiteral("Фразу может разрывать разметка документа: включите поиск в тексте "
                           "документа (Ctrl+P)."),
            this);
        TextModeHint1->setObjectName(QStringLiteral("TextModeHint1"));
        TextModeHint1->setWordWrap(true);
        height += 40;
    }
    setFixedSize(362, height);

    CancelButton1 = new QPushButton(QStringLiteral("Закрыть"), this);
    CancelButton1->setObjectName(QStringLiteral("CancelButton1"));
    CancelButton1->setDefault(true);
    connect(CancelButton1, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(done);
    layout->addWidget(new QLabel(QStringLiteral("Контекст поиска:"), this));
    layout->addWidget(ContextMemo1, 1);
    layout->addLayout(counts);
    if (TextModeHint1)
        layout->addWidget(TextModeHint1);
    layout->addWidget(CancelButton1, 0, Qt::AlignRight);
    CancelButton1->setFocus();
}
