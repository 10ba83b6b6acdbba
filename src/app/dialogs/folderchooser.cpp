#include "folderchooser.h"

#include "userinteraction.h"

QString FolderChooser::choose(QWidget* parent, const QString& caption)
{
    return UserInteraction::current().chooseFolder(parent, caption);
}
