// Reads arbitrary bytes as a coordinate file; a successful read must write
// and read back to the same points.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "files/CoordinateFile.h"

namespace {}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const vesk::NumberFormat format = vesk::NumberFormat::Comma();
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  vesk::VT_Points points(vesk::kOwnsItems);
  if (vesk::ReadPointFile(in, points, format)) return 0;

  const auto lines = vesk::PointFileLines(points, format);
  std::string written;
  for (const std::string& line : lines) written += line + "\r\n";
  std::istringstream back(written);
  vesk::VT_Points again(vesk::kOwnsItems);
  if (vesk::ReadPointFile(back, again, format)) std::abort();
  if (vesk::PointFileLines(again, format) != lines) std::abort();
  return 0;
}
