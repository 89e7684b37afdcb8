#pragma once

#include "Command.h"

namespace vesk::cli {

Command CheckCommand();
Command OrientCommand();
Command FitCommand();
Command RenderCommand();

}  // namespace vesk::cli
