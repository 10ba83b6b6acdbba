#pragma once

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QString>

// A menu's entry for a kept document or folder (a favourite, a recent document): its label,
// its path as the hint, and, when it is no longer there, said so and greyed.
inline QAction* addPlaceAction(QMenu* menu, const QString& label, const QString& path, bool there)
{
    QAction* action = menu->addAction(there ? label : label + QStringLiteral(" — нет на месте"));
    action->setToolTip(QDir::toNativeSeparators(path));
    action->setEnabled(there);
    return action;
}
