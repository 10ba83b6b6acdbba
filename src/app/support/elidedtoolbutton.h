#pragma once

#include <QToolButton>

// A tool button whose caption is shortened with "…" when the button is narrower than it,
// instead of being cut off in the middle of a word.
class ElidedToolButton final : public QToolButton
{
    Q_OBJECT
public:
    using QToolButton::QToolButton;

    void setFullText(const QString& text);
    QString fullText() const { return m_fullText; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void elide();
    QString m_fullText;
};
