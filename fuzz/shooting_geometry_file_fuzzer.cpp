// Reads arbitrary bytes as a shooting-geometry file; a successful read must
// hold 21 finite values and name no line on failure beyond the 21st.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "files/OrientationFiles.h"

namespace {}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  vesk::ShootingGeometry geometry;
  if (const auto failure = vesk::ReadShootingGeometryFile(in, geometry, vesk::NumberFormat::Comma())) {
    if (failure->Line < 0 || failure->Line > vesk::ShootingGeometry::kValueCount) std::abort();
    return 0;
  }
  for (int i = 0; i < vesk::ShootingGeometry::kValueCount; ++i)
    if (!std::isfinite(geometry[i])) std::abort();
  return 0;
}
