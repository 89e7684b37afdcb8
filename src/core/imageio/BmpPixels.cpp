#include "imageio/BmpPixels.h"

#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace vesk::bmp_detail {

namespace {

void SwapRedBlue24Plain(const std::uint8_t* source, std::uint8_t* destination, std::size_t pixels) {
  for (std::size_t i = 0; i < pixels; ++i) {
    destination[3 * i] = source[3 * i + 2];
    destination[3 * i + 1] = source[3 * i + 1];
    destination[3 * i + 2] = source[3 * i];
  }
}

#if defined(__x86_64__) || defined(__i386__)
// Five pixels per step: a 16-byte load, one byte shuffle, a 16-byte store
// whose last byte the next step writes again. The steps stop while the
// store still ends inside the destination row, so a row written after the
// one below it in memory is never touched.
__attribute__((target("ssse3"))) void SwapRedBlue24Ssse3(const std::uint8_t* source, std::uint8_t* destination,
                                                         std::size_t pixels) {
  const __m128i order = _mm_setr_epi8(2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 14, 13, 12, 15);
  std::size_t i = 0;
  for (; i + 6 <= pixels; i += 5) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + 3 * i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(destination + 3 * i), _mm_shuffle_epi8(bytes, order));
  }
  SwapRedBlue24Plain(source + 3 * i, destination + 3 * i, pixels - i);
}
#endif

using SwapFunction = void (*)(const std::uint8_t*, std::uint8_t*, std::size_t);

SwapFunction ChooseSwap() {
#if defined(__x86_64__) || defined(__i386__)
  if (__builtin_cpu_supports("ssse3")) return SwapRedBlue24Ssse3;
#endif
  return SwapRedBlue24Plain;
}

}  // namespace

void SwapRedBlue24(const std::uint8_t* source, std::uint8_t* destination, std::size_t pixels) {
  static const SwapFunction swap = ChooseSwap();
  swap(source, destination, pixels);
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
