#pragma once

// Bitmap files laid out byte by byte from the format's definition, apart
// from the codec under test, in the layouts other writers produce.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "render/RgbImage.h"

namespace vesk::test {

// Positions of header fields in a file with a BITMAPINFOHEADER or longer.
inline constexpr std::size_t kPixelOffsetField = 10;
inline constexpr std::size_t kHeaderSizeField = 14;
inline constexpr std::size_t kWidthField = 18;
inline constexpr std::size_t kHeightField = 22;
inline constexpr std::size_t kPlanesField = 26;
inline constexpr std::size_t kBitsField = 28;
inline constexpr std::size_t kCompressionField = 30;

struct BmpLayout {
  int Bits = 24;                  // 1, 4, 8 (paletted), 24, 32
  bool TopDown = false;           // a negative height
  std::uint32_t HeaderSize = 40;  // 12 (OS/2 core), 40, 108 (V4), 124 (V5)
  std::uint32_t Compression = 0;  // 0 BI_RGB, 3 BI_BITFIELDS
  std::array<std::uint32_t, 4> Masks{0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0xFF000000u};  // R, G, B, A
  std::uint8_t FourthByte = 0xFF;                                                          // of every 32-bit pixel
  std::uint32_t Gap = 0;  // bytes between the colour table and the pixels
};

inline void PutLe(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value, int size) {
  for (int i = 0; i < size; ++i) bytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

// A file of `width` x `height` pixels. `pixel(x, y, out)` gives the stored
// bytes of the pixel at column x, row y from the top: B, G, R for 24 and 32
// bits, the index in out[0] for paletted layouts.
template <typename PixelBytes>
std::vector<std::uint8_t> LayOutBmp(int width, int height, const BmpLayout& layout, const std::vector<Rgb>& palette,
                                    PixelBytes pixel) {
  const bool core = layout.HeaderSize == 12;
  const bool trailingMasks = layout.HeaderSize == 40 && layout.Compression == 3;
  const std::size_t entryBytes = core ? 3 : 4;
  const std::size_t tableStart = 14 + layout.HeaderSize + (trailingMasks ? 12 : 0);
  const std::size_t pixelStart = tableStart + palette.size() * entryBytes + layout.Gap;
  const std::size_t stride = (static_cast<std::size_t>(width) * static_cast<std::size_t>(layout.Bits) + 31) / 32 * 4;
  std::vector<std::uint8_t> bytes(pixelStart + stride * static_cast<std::size_t>(height), 0);
  bytes[0] = 'B';
  bytes[1] = 'M';
  PutLe(bytes, 2, static_cast<std::uint32_t>(bytes.size()), 4);
  PutLe(bytes, kPixelOffsetField, static_cast<std::uint32_t>(pixelStart), 4);
  PutLe(bytes, kHeaderSizeField, layout.HeaderSize, 4);
  if (core) {
    PutLe(bytes, 18, static_cast<std::uint32_t>(width), 2);
    PutLe(bytes, 20, static_cast<std::uint32_t>(height), 2);
    PutLe(bytes, 22, 1, 2);
    PutLe(bytes, 24, static_cast<std::uint32_t>(layout.Bits), 2);
  } else {
    PutLe(bytes, kWidthField, static_cast<std::uint32_t>(width), 4);
    PutLe(bytes, kHeightField, static_cast<std::uint32_t>(layout.TopDown ? -height : height), 4);
    PutLe(bytes, kPlanesField, 1, 2);
    PutLe(bytes, kBitsField, static_cast<std::uint32_t>(layout.Bits), 2);
    PutLe(bytes, kCompressionField, layout.Compression, 4);
    PutLe(bytes, 34, static_cast<std::uint32_t>(stride * static_cast<std::size_t>(height)), 4);
    PutLe(bytes, 38, 2835, 4);
    PutLe(bytes, 42, 2835, 4);
    PutLe(bytes, 46, static_cast<std::uint32_t>(palette.size()), 4);
    if (layout.HeaderSize >= 108 || trailingMasks)
      for (std::size_t i = 0; i < (trailingMasks ? 3u : 4u); ++i) PutLe(bytes, 54 + 4 * i, layout.Masks[i], 4);
    if (layout.HeaderSize >= 108) PutLe(bytes, 70, 0x73524742u, 4);  // colour space "sRGB"
  }
  for (std::size_t i = 0; i < palette.size(); ++i) {
    std::uint8_t* entry = &bytes[tableStart + i * entryBytes];
    entry[0] = palette[i].B;
    entry[1] = palette[i].G;
    entry[2] = palette[i].R;
  }
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = &bytes[pixelStart + stride * static_cast<std::size_t>(layout.TopDown ? y : height - 1 - y)];
    for (int x = 0; x < width; ++x) {
      std::uint8_t stored[4] = {0, 0, 0, layout.FourthByte};
      pixel(x, y, stored);
      if (layout.Bits >= 24) {
        for (int k = 0; k < layout.Bits / 8; ++k) row[static_cast<std::size_t>(x * layout.Bits / 8 + k)] = stored[k];
      } else {
        const std::size_t bit = static_cast<std::size_t>(x) * static_cast<std::size_t>(layout.Bits);
        row[bit / 8] |= static_cast<std::uint8_t>(stored[0] << (8 - layout.Bits - static_cast<int>(bit % 8)));
      }
    }
  }
  return bytes;
}

// `picture` as a 24- or 32-bit file.
inline std::vector<std::uint8_t> TrueColourBmp(const RgbImage& picture, const BmpLayout& layout) {
  return LayOutBmp(picture.Width(), picture.Height(), layout, {}, [&](int x, int y, std::uint8_t* out) {
    const Rgb colour = picture.Pixel(x, y);
    out[0] = colour.B;
    out[1] = colour.G;
    out[2] = colour.R;
  });
}

// A paletted file whose pixel (x, y) has index indices[y * width + x].
inline std::vector<std::uint8_t> PalettedBmp(int width, int height, const std::vector<std::uint8_t>& indices,
                                             const std::vector<Rgb>& palette, const BmpLayout& layout) {
  return LayOutBmp(width, height, layout, palette, [&](int x, int y, std::uint8_t* out) {
    out[0] = indices[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)];
  });
}

}  // namespace vesk::test
