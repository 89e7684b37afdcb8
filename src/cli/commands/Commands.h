#pragma once

#include "Command.h"

namespace vesk::cli {

Command CheckCommand();
Command RenderCommand();

}  // namespace vesk::cli
