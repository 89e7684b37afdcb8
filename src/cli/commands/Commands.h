#pragma once

#include "Command.h"

namespace vesk::cli {

Command CheckCommand();

}  // namespace vesk::cli
