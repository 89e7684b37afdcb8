#pragma once

#include "build/BuildCommands.h"

namespace vesk::gui {

// The build area a workspace keeps for its scene-plane builds, as the build
// area dialog writes it (the core's record: the builds read it too). Each
// workspace owns one; the dialog writes into the one of the workspace shown
// last.
using vesk::BuildAreaFields;

}  // namespace vesk::gui
