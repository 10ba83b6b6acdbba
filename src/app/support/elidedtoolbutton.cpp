#include "support/elidedtoolbutton.h"

#include <QFontMetrics>
#include <QResizeEvent>

void ElidedToolButton::setFullText(const QString& text)
{
    m_fullText = text;
    setToolTip(text);
    elide();
    updateGeometry();
}

QSize ElidedToolButton::sizeHint() const
{
    // As wide as the whole caption asks, whatever is shown now.
    const QSize shown = QToolButton::sizeHint();
    const int extra =
        fontMetrics().horizontalAdvance(m_fullText) - fontMetrics().horizontalAdvance(text());
    return {shown.width() + extra, shown.height()};
}

QSize ElidedToolButton::minimumSizeHint() const
{
    return {fontMetrics().horizontalAdvance(QStringLiteral("М…")) + 8,
            QToolButton::minimumSizeHint().height()};
}

void ElidedToolButton::resizeEvent(QResizeEvent* event)
{
    QToolButton::resizeEvent(event);
    elide();
}

void ElidedToolButton::elide()
{
    const int room = width() - 8; // the button's own margins
    QString shown = fontMetrics().elidedText(m_fullText, Qt::ElideRight, qMax(room, 0));
    if (shown.isEmpty() && !m_fullText.isEmpty())
        shown = m_fullText.left(1) + u'…'; // at least what the button is for
    if (shown != text())
        QToolButton::setText(shown);
}
