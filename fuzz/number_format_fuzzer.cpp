// Feeds arbitrary text to the number conversion under both separators and
// checks that whatever is accepted writes back to a text that reads again to
// the same written form.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "files/NumberFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  for (const vesk::NumberFormat format : {vesk::NumberFormat::Comma(), vesk::NumberFormat::Dot()}) {
    const auto value = vesk::TryParseNumber(text, format);
    if (!value) continue;
    const std::string written = vesk::FormatNumber(*value, format);
    const auto again = vesk::TryParseNumber(written, format);
    if (!again || vesk::FormatNumber(*again, format) != written) std::abort();
  }
  return 0;
}
