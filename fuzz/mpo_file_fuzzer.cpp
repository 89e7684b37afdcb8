// Reads arbitrary bytes as an MPO stereo pair: nothing may crash or read
// beyond the bytes, and the pictures found must lie inside them and begin a
// JPEG stream.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "common/VeskError.h"
#include "imageio/MpoFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> file(data, size);
  try {
    const vesk::MpoPair pair = vesk::FindStereoPictures(file);
    for (const vesk::MpoPicture& picture : {pair.Left, pair.Right}) {
      if (picture.Offset > size || picture.Size > size - picture.Offset || picture.Size < 2) std::abort();
      if (data[picture.Offset] != 0xFF || data[picture.Offset + 1] != 0xD8) std::abort();
    }
  } catch (const vesk::VeskError&) {
  }
  return 0;
}
