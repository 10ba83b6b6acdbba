#pragma once

#include <QIcon>
#include <QList>
#include <QPixmap>

// The program's own pictures, drawn at run time.
namespace Pictures {

// The program logo: a book with the letter "Л".
QPixmap logo(int size);
// The logo as the windows' icon, in the sizes desktops show.
QIcon appIcon();
// The splash picture: 151 by 84, teal, "Загрузка..." in white.
QPixmap splash();
// The pictures of the tree's nodes and of the commands, from the desktop's style.
enum class Picture
{
    Folder,
    Document,
    CloseAllFolders,
    OpenAllFolders,
    Refresh,
    Open,
    Delete,
    OpenInWord,
    Search,
    CancelSearch,
    SearchOptions,
    CopyTo,
};
QIcon icon(Picture picture);

} // namespace Pictures
