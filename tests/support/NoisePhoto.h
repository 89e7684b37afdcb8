#pragma once

#include <cstdint>
#include <random>

#include "render/RgbImage.h"

namespace vesk::test {

// A photograph of random colours: every pixel differs from its neighbours, so
// a pixel taken from the wrong place shows.
inline RgbImage NoisePhoto(int width, int height, unsigned seed) {
  RgbImage photo(width, height);
  std::mt19937 random(seed);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      photo.SetPixel(x, y,
                     Rgb{static_cast<std::uint8_t>(random()), static_cast<std::uint8_t>(random()),
                         static_cast<std::uint8_t>(random())});
  return photo;
}

}  // namespace vesk::test
