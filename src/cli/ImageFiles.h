#pragma once

#include <optional>
#include <string>

namespace vesk::cli {

struct ImageSize {
  int Width = 0;
  int Height = 0;
};

// Pixel size of a photograph file in any format Qt reads, without decoding
// its pixels; nothing when the file cannot be read as an image.
std::optional<ImageSize> ReadImageSize(const std::string& path);

}  // namespace vesk::cli
