#pragma once

#include <QString>
#include <string>

#include "model/BuildMode.h"

namespace vesk::gui {

// The result viewer's caption: "Стереовизуализация — " followed by what the
// build made and from which photographs, so that several open results can
// be told apart in the task bar, e.g.
// "Стереовизуализация — анаглиф на плоскости (left01.bmp, right01.bmp)".
// `photo1` and `photo2` are paths (or bare names); a build of one photograph
// on the plane names only that one, and a path not known (empty) is left
// out. A code outside the modes gives the bare "Стереовизуализация".
QString ViewerCaption(BuildMode mode, const std::string& photo1, const std::string& photo2);

}  // namespace vesk::gui
