#include "pagefindbar.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QWebEngineFindTextResult>
#include <QWebEnginePage>

PageFindBar::PageFindBar(QWebEnginePage* page, QWidget* parent) : QWidget(parent), m_page(page)
{
    setObjectName(QStringLiteral("pageFindBar"));
    auto* bar = new QHBoxLayout(this);
    bar->setContentsMargins(2, 2, 2, 2);
    bar->addWidget(new QLabel(QStringLiteral("Найти на странице:"), this));
    m_field = new QLineEdit(this);
    m_field->setObjectName(QStringLiteral("pageFindField"));
    bar->addWidget(m_field, 1);
    m_countLabel = new QLabel(this);
    m_countLabel->setObjectName(QStringLiteral("pageFindCount"));
    bar->addWidget(m_countLabel);
    auto* close = new QToolButton(this);
    close->setObjectName(QStringLiteral("pageFindCloseButton"));
    close->setText(QStringLiteral("✕"));
    close->setToolTip(QStringLiteral("Закрыть (Esc)"));
    close->setAutoRaise(true);
    bar->addWidget(close);
    hide();

    connect(m_field, &QLineEdit::returnPressed, this,
            [this] { find(QApplication::keyboardModifiers() & Qt::ShiftModifier); });
    connect(close, &QToolButton::clicked, this, [this] {
        m_page->findText(QString());
        hide();
        emit closed();
    });
}

void PageFindBar::open()
{
    show();
    m_field->setFocus();
    m_field->selectAll();
}

void PageFindBar::find(bool backward)
{
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
