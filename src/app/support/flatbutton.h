#pragma once

#include <QString>
#include <QToolButton>

// A flat tool button of the window: its object name, its text (shown, or only read by
// accessibility where an icon stands instead) and its hint.
inline QToolButton* makeFlatButton(QWidget* parent, const QString& name, const QString& text,
                                   const QString& hint)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setText(text);
    button->setToolTip(hint);
    button->setAutoRaise(true);
    return button;
}
