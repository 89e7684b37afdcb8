// Reads arbitrary bytes as a shooting-geometry file; a successful read must
// hold 21 finite values and name no line on failure beyond the 21st.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "common/UserDialogs.h"
#include "files/OrientationFiles.h"

namespace {

class SilentDialogs : public vesk::UserDialogs {
 public:
  void ShowMessage(vesk::MessageIcon, const std::string&, const std::string&) override {}
  bool AskYesNo(const std::string&, const std::string&) override { return false; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  SilentDialogs dialogs;
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  vesk::ShootingGeometry geometry;
  vesk::ReadFailure failure;
  if (!vesk::ReadShootingGeometryFile(in, geometry, vesk::NumberFormat::Comma(), dialogs, &failure)) {
    if (failure.Line < 0 || failure.Line > vesk::ShootingGeometry::kValueCount) std::abort();
    return 0;
  }
  for (int i = 0; i < vesk::ShootingGeometry::kValueCount; ++i)
    if (!std::isfinite(geometry[i])) std::abort();
  return 0;
}
