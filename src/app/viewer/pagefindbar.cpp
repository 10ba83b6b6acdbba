#include "viewer/pagefindbar.h"

#include "support/flatbutton.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QWebEngineFindTextResult>
#include <QWebEnginePage>

PageFindBar::PageFindBar(QWebEnginePage* page, QWidget* parent) : QWidget(parent), m_page(page)
{
    setObjectName(QStringLiteral("pageFindBar"));
    // One compact line above the page, never a share of the page's height.
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto* bar = new QHBoxLayout(this);
    bar->setContentsMargins(2, 2, 2, 2);
    bar->addWidget(new QLabel(QStringLiteral("Найти на странице:"), this));
    m_field = new QLineEdit(this);
    m_field->setObjectName(QStringLiteral("pageFindField"));
    m_field->setToolTip(QStringLiteral("Найти на странице (Ctrl+Shift+F): ищет по мере ввода; "
                                       "Enter — следующее, Shift+Enter — предыдущее"));
    bar->addWidget(m_field, 1);
    const auto button = [this, bar](const QString& name, const QString& text, const QString& hint) {
        QToolButton* made = makeFlatButton(this, name, text, hint);
        bar->addWidget(made);
        return made;
    };
    QToolButton* previous = button(QStringLiteral("pageFindPreviousButton"), QStringLiteral("▲"),
                                   QStringLiteral("Предыдущее (Shift+Enter)"));
    QToolButton* next = button(QStringLiteral("pageFindNextButton"), QStringLiteral("▼"),
                               QStringLiteral("Следующее (Enter)"));
    m_countLabel = new QLabel(this);
    m_countLabel->setObjectName(QStringLiteral("pageFindCount"));
    bar->addWidget(m_countLabel);
    QToolButton* closeButton = button(QStringLiteral("pageFindCloseButton"), QStringLiteral("✕"),
                                      QStringLiteral("Закрыть (Esc)"));
    hide();

    m_field->installEventFilter(this);
    connect(m_field, &QLineEdit::textChanged, this, [this] { find(false); });
    connect(m_field, &QLineEdit::returnPressed, this,
            [this] { find(QApplication::keyboardModifiers() & Qt::ShiftModifier); });
    connect(previous, &QToolButton::clicked, this, [this] { find(true); });
    connect(next, &QToolButton::clicked, this, [this] { find(false); });
    connect(closeButton, &QToolButton::clicked, this, &PageFindBar::dismiss);
}

bool PageFindBar::eventFilter(QObject* watched, QEvent* event)
{
    // Esc closes the bar, as its close button's hint says; the window stays.
    if (watched == m_field && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        dismiss();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void PageFindBar::dismiss()
{
    m_page->findText(QString());
    m_countLabel->clear();
    hide();
    emit closed();
}

void PageFindBar::open()
{
    show();
    m_field->setFocus();
    m_field->selectAll();
}

void PageFindBar::find(bool backward)
{
    if (m_field->text().isEmpty()) {
        m_page->findText(QString());
        m_countLabel->clear();
        return;
    }
    QWebEnginePage::FindFlags flags;
    if (backward)
        flags |= QWebEnginePage::FindBackward;
    m_page->findText(m_field->text(), flags, [this](const QWebEngineFindTextResult& result) {
        m_countLabel->setText(
            result.numberOfMatches() > 0
                ? QStringLiteral("%1 из %2").arg(result.activeMatch()).arg(result.numberOfMatches())
                : QStringLiteral("нет совпадений"));
    });
}
