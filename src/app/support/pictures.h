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
// ImageList1: folder at 0, document at 1, then the context menu's command icons
// (2 close all, 3 open all, 4 refresh, 5 open, 6 delete, 7 Word, 8 find, 9 cancel find,
// 10 find parameters, 11 copy).
QList<QIcon> imageList();

} // namespace Pictures
