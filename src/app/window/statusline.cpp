#include "window/statusline.h"

#include <QLabel>
#include <QTimer>

StatusLine::StatusLine(QWidget* parent) : QStatusBar(parent)
{
    setObjectName(QStringLiteral("statusBar"));
    setFixedHeight(25);
    setSizeGripEnabled(false);
    m_indexLabel = new QLabel(this);
    m_indexLabel->setObjectName(QStringLiteral("indexLabel"));
    addPermanentWidget(m_indexLabel);
}

void StatusLine::setText(const QString& text)
{
    if (text.isEmpty())
        clearMessage();
    else
        showMessage(text);
}

void StatusLine::showNote(const QString& note)
{
    const QString before = text();
    setText(note);
    QTimer::singleShot(3000, this, [this, note, before] {
        if (text() == note)
            setText(before);
    });
}

void StatusLine::setIndexState(const QString& text)
{
    m_indexLabel->setText(text);
}
