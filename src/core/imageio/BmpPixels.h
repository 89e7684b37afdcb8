#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace vesk::bmp_detail {

// Row converters between bitmap pixel bytes and RgbImage bytes. Source and
// destination never overlap. Each may read up to kReadSlack bytes past the
// end of its source (the strip buffers are allocated with that much more).
inline constexpr std::size_t kReadSlack = 16;

// B, G, R <-> R, G, B: the same swap in both directions.
void SwapRedBlue24(const std::uint8_t* source, std::uint8_t* destination, std::size_t pixels);
// B, G, R, X -> R, G, B.
void Bgrx32ToRgb(const std::uint8_t* source, std::uint8_t* destination, std::size_t pixels);

// R, G, B of every index; entries the file lacks are black.
using Palette = std::array<std::uint8_t, 256 * 3>;
// Indices of `bits` (1, 4 or 8) bits packed from the most significant bit of
// each byte; the first pixel starts a byte.
void PalettedToRgb(const std::uint8_t* source, std::uint8_t* destination, std::size_t pixels, int bits,
                   const Palette& palette);

}  // namespace vesk::bmp_detail
