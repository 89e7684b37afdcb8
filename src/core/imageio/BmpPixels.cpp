#include "imageio/BmpPixels.h"

#include <cstring>

namespace vesk::bmp_detail {

void SwapRedBlue24(const std::uint8_t* source, std::uint8_t* destination, std::size_t pixels) {
  for (std::size_t i = 0; i < pixels; ++i) {
    destination[3 * i] = source[3 * i + 2];
    destination[3 * i + 1] = source[3 * i + 1];
    destination[3 * i + 2] = source[3 * i];
  }
}

void Bgrx32ToRgb(const std::uint8_t* source, std::uint8_t* destination, std::size_t pixels) {
  for (std::size_t i = 0; i < pixels; ++i) {
    destination[3 * i] = source[4 * i + 2];
    destination[3 * i + 1] = source[4 * i + 1];
    destination[3 * i + 2] = source[4 * i];
  }
}

void PalettedToRgb(const std::uint8_t* source, std::uint8_t* destination, std::size_t pixels, int bits,
                   const Palette& palette) {
  const unsigned perByte = 8u / static_cast<unsigned>(bits);
  const unsigned mask = (1u << bits) - 1;
  for (std::size_t i = 0; i < pixels; ++i) {
    const unsigned slot = static_cast<unsigned>(i % perByte);
    const unsigned shift = 8u - static_cast<unsigned>(bits) * (slot + 1);
    const unsigned index = (source[i / perByte] >> shift) & mask;
    std::memcpy(destination + 3 * i, palette.data() + 3 * index, 3);
  }
}

}  // namespace vesk::bmp_detail
