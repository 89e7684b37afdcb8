#pragma once

#include <QIcon>
#include <QPixmap>

namespace vesk::gui {

// The resources (pictures, the manual) live in a static library: they are
// registered by hand before their first use, or the linker would drop them.
// The functions below do it themselves.
void RegisterResources();

// The pictures stored with the program: the mode-selection window's title
// picture and the program's own picture (window icon, about box).
QPixmap TitlePicture();
QPixmap ProgramPicture();
QIcon ProgramIcon();

}  // namespace vesk::gui
