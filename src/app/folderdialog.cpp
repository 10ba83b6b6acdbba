#include "folderdialog.h"

#include "userinteraction.h"

QString FolderDialog::choose(QWidget* parent, const QString& caption)
{
    return UserInteraction::current().chooseFolder(parent, caption);
}
