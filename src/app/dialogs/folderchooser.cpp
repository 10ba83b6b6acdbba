#include "dialogs/folderchooser.h"

#include "dialogs/userinteraction.h"

QString FolderChooser::choose(QWidget* parent, const QString& caption, const QString& startFolder)
{
    return UserInteraction::current().chooseFolder(parent, caption, startFolder);
}
