#pragma once

#include <optional>
#include <string>

#include "render/RgbImage.h"

namespace vesk::cli {

struct ImageSize {
  int Width = 0;
  int Height = 0;
};

// Pixel size of a photograph file in any format Qt reads, without decoding
// its pixels; nothing when the file cannot be read as an image.
std::optional<ImageSize> ReadImageSize(const std::string& path);

// The pixels of a photograph file in any format Qt reads (BMP, PNG, JPEG,
// TIFF with the image-format plugins), as 24-bit RGB; nothing when the file
// cannot be read as an image.
std::optional<RgbImage> LoadImage(const std::string& path);

// Writes `image` as a 24-bit BMP file, or as PNG when the name ends in
// ".png" (any case), replacing the file only once the whole picture is
// encoded. False when it cannot be written.
bool SaveImage(const RgbImage& image, const std::string& path);

}  // namespace vesk::cli
