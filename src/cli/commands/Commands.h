#pragma once

#include "Command.h"

namespace vesk::cli {

Command CheckCommand();
Command OrientCommand();
Command FitCommand();

}  // namespace vesk::cli
