#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "render/LargeBuffer.h"

namespace vesk {

struct Rgb {
  std::uint8_t R = 0;
  std::uint8_t G = 0;
  std::uint8_t B = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr Rgb kBlack{0, 0, 0};

// A 24-bit picture: rows from the top, each row Width pixels of R, G, B bytes
// with no padding. Photographs come in as one of these and results go out as
// one; conversion to and from file formats is the caller's business.
class RgbImage {
 public:
  RgbImage() = default;
  // A new picture filled with `fill`; sizes must not be negative.
  RgbImage(int width, int height, Rgb fill = kWhite);
  // A new picture whose pixels are still to be written.
  static RgbImage Unfilled(int width, int height);
  RgbImage(const RgbImage& other);
  RgbImage& operator=(const RgbImage& other);
  RgbImage(RgbImage&& other) noexcept;
  RgbImage& operator=(RgbImage&& other) noexcept;
  ~RgbImage() = default;

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return width_ == 0 || height_ == 0; }
  // Bytes from one row to the next.
  std::ptrdiff_t Stride() const { return static_cast<std::ptrdiff_t>(width_) * 3; }

  std::size_t ByteCount() const { return static_cast<std::size_t>(Stride()) * static_cast<std::size_t>(height_); }
  std::uint8_t* Data() { return bytes_.get(); }
  const std::uint8_t* Data() const { return bytes_.get(); }
  std::uint8_t* Row(int y) { return bytes_.get() + y * Stride(); }
  const std::uint8_t* Row(int y) const { return bytes_.get() + y * Stride(); }

  // Pixel access for callers that work pixel by pixel; positions must lie inside.
  Rgb Pixel(int x, int y) const {
    const std::uint8_t* p = Row(y) + static_cast<std::ptrdiff_t>(x) * 3;
    return Rgb{p[0], p[1], p[2]};
  }
  void SetPixel(int x, int y, Rgb colour) {
    std::uint8_t* p = Row(y) + static_cast<std::ptrdiff_t>(x) * 3;
    p[0] = colour.R;
    p[1] = colour.G;
    p[2] = colour.B;
  }

  friend bool operator==(const RgbImage& a, const RgbImage& b);

 private:
  int width_ = 0;
  int height_ = 0;
  LargeBuffer bytes_;
};

// Grey level of a colour: the channel sum divided by three, rounded down.
inline std::uint8_t GreyLevel(Rgb colour) { return static_cast<std::uint8_t>((colour.R + colour.G + colour.B) / 3); }

}  // namespace vesk
