#pragma once

#include <QIcon>
#include <QPixmap>

namespace vesk::gui {

// The pictures stored with the program: the mode-selection window's title
// picture and the program's own picture (window icon, about box).
QPixmap TitlePicture();
QPixmap ProgramPicture();
QIcon ProgramIcon();

}  // namespace vesk::gui
