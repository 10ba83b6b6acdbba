#include "dialogs/searchresultdialog.h"

#include "support/statustexts.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
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

SearchResultDialog::SearchResultDialog(const QString& context, int checked, int found,
                                       QWidget* parent, int unreadable, bool suggestTextMode,
                                       bool suggestWordForms)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("searchResultDialog"));
    setWindowTitle(QStringLiteral("Результаты поиска"));
    int height = 256;

    auto* done = new QLabel(
        found == 0 ? QStringLiteral("Ничего не найдено") : QStringLiteral("Поиск завершен."), this);
    done->setObjectName(QStringLiteral("doneLabel"));
    QFont bold = done->font();
    bold.setBold(true);
    done->setFont(bold);

    m_contextText = new QPlainTextEdit(this);
    m_contextText->setObjectName(QStringLiteral("contextText"));
    m_contextText->setReadOnly(true);
    m_contextText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_contextText->setStyleSheet(QStringLiteral("QPlainTextEdit { background: #fffbf0; }"));
    m_contextText->setPlainText(context);
    m_contextText->moveCursor(QTextCursor::Start);

    const QString green = QStringLiteral("#ccffcc");
    const QString cream = QStringLiteral("#fffbf0");
    m_checkedLabel = panel(this, QStringLiteral("checkedLabel"), QString::number(checked), cream);
    m_foundLabel = panel(this, QStringLiteral("foundLabel"), QString::number(found), cream);
    auto* counts = new QGridLayout;
    counts->addWidget(panel(this, QStringLiteral("checkedCaption"),
                            QStringLiteral(" Проверено документов"), green),
                      0, 0);
    counts->addWidget(m_checkedLabel, 0, 1);
    counts->addWidget(
        panel(this, QStringLiteral("foundCaption"), QStringLiteral(" Найдено документов"), green),
        1, 0);
    counts->addWidget(m_foundLabel, 1, 1);
    if (unreadable > 0) {
        m_unreadableLabel =
            panel(this, QStringLiteral("unreadableLabel"), QString::number(unreadable), cream);
        counts->addWidget(panel(this, QStringLiteral("unreadableCaption"),
                                QStringLiteral(" Не удалось прочитать"), green),
                          2, 0);
        counts->addWidget(m_unreadableLabel, 2, 1);
        height += 30;
    }
    if (suggestTextMode) {
        m_textModeHint = new QLabel(
            QStringLiteral("Фразу может разрывать разметка документа: включите поиск в тексте "
                           "документа (Ctrl+P)."),
            this);
        m_textModeHint->setObjectName(QStringLiteral("textModeHint"));
        m_textModeHint->setWordWrap(true);
        height += 40;
    }
    if (suggestWordForms) {
        m_wordFormsHint = new QLabel(
            QStringLiteral("Слова могут стоять в документах в другой форме: включите «Искать "
                           "все слова в любой форме» в параметрах поиска (Ctrl+P)."),
            this);
        m_wordFormsHint->setObjectName(QStringLiteral("wordFormsHint"));
        m_wordFormsHint->setWordWrap(true);
        height += 40;
    }
    setFixedSize(362, height + 24); // and the line "Больше не показывать"

    m_cancelButton = new QPushButton(QStringLiteral("Закрыть"), this);
    m_cancelButton->setObjectName(QStringLiteral("cancelButton"));
    m_cancelButton->setDefault(true);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(done);
    layout->addWidget(new QLabel(QStringLiteral("Контекст поиска:"), this));
    layout->addWidget(m_contextText, 1);
    m_scopeLabel = new QLabel(this);
    m_scopeLabel->setObjectName(QStringLiteral("scopeLabel"));
    m_scopeLabel->setWordWrap(true);
    m_scopeLabel->hide();
    layout->addWidget(m_scopeLabel);
    layout->addLayout(counts);
    if (m_textModeHint)
        layout->addWidget(m_textModeHint);
    if (m_wordFormsHint)
        layout->addWidget(m_wordFormsHint);
    auto* buttons = new QHBoxLayout;
    m_buttons = buttons;
    m_dontShowAgainBox = new QCheckBox(QStringLiteral("Больше не показывать"), this);
    m_dontShowAgainBox->setObjectName(QStringLiteral("dontShowAgainBox"));
    m_dontShowAgainBox->setToolTip(
        QStringLiteral("Итог поиска будет в строке над списком результатов; вернуть окно — в "
                       "параметрах поиска (Ctrl+P)"));
    buttons->addStretch(1);
    if (found == 0) {
        // The tree shows the root alone: the way back to the whole tree is offered here.
        m_restoreTreeButton = new QPushButton(QStringLiteral("Вернуть дерево"), this);
        m_restoreTreeButton->setObjectName(QStringLiteral("restoreTreeButton"));
        connect(m_restoreTreeButton, &QPushButton::clicked, this, [this] {
            m_restoreTreeChosen = true;
            accept();
        });
        buttons->addWidget(m_restoreTreeButton);
    }
    buttons->addWidget(m_cancelButton);
    layout->addWidget(m_dontShowAgainBox);
    layout->addLayout(buttons);
    m_cancelButton->setFocus();
}

void SearchResultDialog::setFragmentOffer(int documents)
{
    auto* line = new QHBoxLayout;
    auto* label = new QLabel(StatusTexts::asFragment(documents), this);
    label->setObjectName(QStringLiteral("fragmentLabel"));
    m_fragmentButton = new QPushButton(QStringLiteral("Искать как фрагмент"), this);
    m_fragmentButton->setObjectName(QStringLiteral("fragmentButton"));
    connect(m_fragmentButton, &QPushButton::clicked, this, [this] {
        m_fragmentChosen = true;
        accept();
    });
    line->addWidget(label, 1);
    line->addWidget(m_fragmentButton);
    auto* box = static_cast<QVBoxLayout*>(layout());
    box->insertLayout(box->indexOf(m_scopeLabel) + 2, line);
    setFixedSize(width(), height() + 34);
}

void SearchResultDialog::setEverywhereOffer()
{
    if (m_everywhereButton)
        return;
    m_everywhereButton = new QPushButton(QStringLiteral("Искать везде"), this);
    m_everywhereButton->setObjectName(QStringLiteral("everywhereButton"));
    m_everywhereButton->setToolTip(QStringLiteral("Тот же поиск во всей коллекции"));
    connect(m_everywhereButton, &QPushButton::clicked, this, [this] {
        m_everywhereChosen = true;
        accept();
    });
    m_buttons->insertWidget(1, m_everywhereButton);
}

void SearchResultDialog::setQueryReading(const QString& reading)
{
    auto* line = new QHBoxLayout;
    m_readingLabel = new QLabel(QStringLiteral("Прочитано как: ") + reading, this);
    m_readingLabel->setObjectName(QStringLiteral("readingLabel"));
    m_readingLabel->setWordWrap(true);
    m_readingLabel->setTextFormat(Qt::PlainText);
    m_literalButton = new QPushButton(QStringLiteral("Искать как написано"), this);
    m_literalButton->setObjectName(QStringLiteral("literalButton"));
    connect(m_literalButton, &QPushButton::clicked, this, [this] {
        m_literalChosen = true;
        accept();
    });
    line->addWidget(m_readingLabel, 1);
    line->addWidget(m_literalButton);
    auto* box = static_cast<QVBoxLayout*>(layout());
    box->insertLayout(box->indexOf(m_scopeLabel) + 1, line);
    setFixedSize(width(), height() + 48);
}

void SearchResultDialog::setWithoutText(int documents)
{
    if (documents <= 0)
        return;
    m_withoutTextLabel = new QLabel(StatusTexts::pdfWithoutText(documents), this);
    m_withoutTextLabel->setObjectName(QStringLiteral("withoutTextLabel"));
    m_withoutTextLabel->setWordWrap(true);
    auto* box = static_cast<QVBoxLayout*>(layout());
    box->insertWidget(box->indexOf(m_scopeLabel) + 2, m_withoutTextLabel);
    setFixedSize(width(), height() + 22);
}

void SearchResultDialog::setScope(const QString& scope)
{
    m_scopeLabel->setText(QStringLiteral("Где искали: ") + scope);
    m_scopeLabel->setVisible(!scope.isEmpty());
    setFixedSize(width(), height() + (scope.isEmpty() ? 0 : 22));
}
