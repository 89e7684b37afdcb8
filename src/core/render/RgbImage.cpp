#include "render/RgbImage.h"

#include "common/VeskError.h"

namespace vesk {

RgbImage::RgbImage(int width, int height, Rgb fill) : width_(width), height_(height) {
  if (width < 0 || height < 0) throw VeskError("RgbImage: negative size");
  const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  if (fill == kWhite || fill == kBlack) {
    bytes_.assign(pixels * 3, fill.R);
    return;
  }
  bytes_.resize(pixels * 3);
  for (std::size_t i = 0; i < pixels; ++i) {
    bytes_[3 * i] = fill.R;
    bytes_[3 * i + 1] = fill.G;
    bytes_[3 * i + 2] = fill.B;
  }
}

}  // namespace vesk
