// Reads arbitrary bytes as a calibration file. The correction table is never
// looked up on disk: a name holding "missing" stands for a missing table,
// every other name for a table of one line. A successful read must hold the numbers it promises.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "files/OrientationFiles.h"

namespace {

bool LoadTable(const std::string& path, std::vector<std::string>& lines) {
  if (path.find("missing") != std::string::npos) return false;
  lines = {"1"};
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  vesk::CameraGeometry camera;
  if (const auto failure = vesk::ReadCameraFile(in, "/cal/left.cam", LoadTable, camera, vesk::NumberFormat::Dot())) {
    if (failure->Line < 0 || failure->Line > 6) std::abort();
    return 0;
  }
  if (!std::isfinite(camera.CentreX) || !std::isfinite(camera.CentreY) || !std::isfinite(camera.FocalLength) ||
      !std::isfinite(camera.ImageWidth) || !std::isfinite(camera.ImageHeight) || camera.CorrectionTable.size() != 1)
    std::abort();
  return 0;
}
