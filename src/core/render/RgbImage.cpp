#include "render/RgbImage.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "common/VeskError.h"

namespace vesk {

RgbImage::RgbImage(int width, int height, Rgb fill) : width_(width), height_(height) {
  if (width < 0 || height < 0) throw VeskError("RgbImage: negative size");
  bytes_ = AllocateLargeBuffer(ByteCount());
  const std::size_t pixels = ByteCount() / 3;
  if (fill.R == fill.G && fill.G == fill.B) {
    if (pixels > 0) std::memset(bytes_.get(), fill.R, ByteCount());
    return;
  }
  for (std::size_t i = 0; i < pixels; ++i) {
    bytes_[3 * i] = fill.R;
    bytes_[3 * i + 1] = fill.G;
    bytes_[3 * i + 2] = fill.B;
  }
}

RgbImage RgbImage::Unfilled(int width, int height) {
  if (width < 0 || height < 0) throw VeskError("RgbImage: negative size");
  RgbImage image;
  image.width_ = width;
  image.height_ = height;
  image.bytes_ = AllocateLargeBuffer(image.ByteCount());
  return image;
}

RgbImage::RgbImage(const RgbImage& other) : width_(other.width_), height_(other.height_) {
  bytes_ = AllocateLargeBuffer(ByteCount());
  if (ByteCount() > 0) std::memcpy(bytes_.get(), other.bytes_.get(), ByteCount());
}

RgbImage& RgbImage::operator=(const RgbImage& other) {
  if (this != &other) *this = RgbImage(other);
  return *this;
}

RgbImage::RgbImage(RgbImage&& other) noexcept
    : width_(std::exchange(other.width_, 0)),
      height_(std::exchange(other.height_, 0)),
      bytes_(std::move(other.bytes_)) {}

RgbImage& RgbImage::operator=(RgbImage&& other) noexcept {
  width_ = std::exchange(other.width_, 0);
  height_ = std::exchange(other.height_, 0);
  bytes_ = std::move(other.bytes_);
  return *this;
}

bool operator==(const RgbImage& a, const RgbImage& b) {
  return a.width_ == b.width_ && a.height_ == b.height_ &&
         (a.ByteCount() == 0 || std::memcmp(a.bytes_.get(), b.bytes_.get(), a.ByteCount()) == 0);
}

}  // namespace vesk
