// The program's small built-in pictures, drawn at run time.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace kestrova {

// 16 x 16: the icon of every window of the program.
QPixmap ProgramIconPicture();
QIcon ProgramIcon();
// 16 x 16: the picture of an FTP server (server lists of the upload windows).
QPixmap ServerIconPicture();
// 16 x 16 flags beside the choices of the language dialog.
QPixmap EnglishFlagPicture();
QPixmap FrenchFlagPicture();

}  // namespace kestrova
