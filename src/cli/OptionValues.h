#pragma once

#include <string>

#include "orientation/CameraModel.h"

namespace vesk::cli {

// --convention mathematical|photogrammetric|laboratory; a usage error otherwise.
CoordinateConvention ParseConvention(const std::string& name);

}  // namespace vesk::cli
