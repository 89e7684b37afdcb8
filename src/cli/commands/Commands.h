#pragma once

#include "Command.h"

namespace vesk::cli {

Command CheckCommand();
Command FitCommand();

}  // namespace vesk::cli
