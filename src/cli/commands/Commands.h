#pragma once

#include "Command.h"

namespace vesk::cli {

Command CheckCommand();
Command OrientCommand();
Command FitCommand();
Command RenderCommand();
Command MatchCommand();

}  // namespace vesk::cli
