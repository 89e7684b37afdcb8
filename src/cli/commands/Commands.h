#pragma once

#include "Command.h"

namespace vesk::cli {

Command CheckCommand();
Command OrientCommand();

}  // namespace vesk::cli
