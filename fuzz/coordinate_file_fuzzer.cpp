// Reads arbitrary bytes as a coordinate file; a successful read must write
// and read back to the same points.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "common/UserDialogs.h"
#include "files/CoordinateFile.h"

namespace {

class SilentDialogs : public vesk::UserDialogs {
 public:
  void ShowMessage(vesk::MessageIcon, const std::string&, const std::string&) override {}
  bool AskYesNo(const std::string&, const std::string&) override { return false; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  SilentDialogs dialogs;
  const vesk::NumberFormat format = vesk::NumberFormat::Comma();
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  vesk::VT_Points points(vesk::kOwnsItems);
  if (!vesk::ReadPointFile(in, points, format, dialogs)) return 0;

  const auto lines = vesk::PointFileLines(points, format);
  std::string written;
  for (const std::string& line : lines) written += line + "\r\n";
  std::istringstream back(written);
  vesk::VT_Points again(vesk::kOwnsItems);
  if (!vesk::ReadPointFile(back, again, format, dialogs)) std::abort();
  if (vesk::PointFileLines(again, format) != lines) std::abort();
  return 0;
}
