#include "DetectionImage.h"

#include <algorithm>
#include <cstdint>
#include <opencv2/imgproc.hpp>
#include <vector>

namespace vesk::match {

namespace {

// The mean grey level of every `block` x `block` square; columns and rows
// beyond the last whole square are left out, which keeps the scale exact.
cv::Mat BlockAverage(const RgbImage& photo, int block) {
  const int width = photo.Width() / block;
  const int height = photo.Height() / block;
  cv::Mat grey(height, width, CV_8UC1);
  std::vector<std::uint32_t> sums(static_cast<std::size_t>(width));
  const std::uint32_t divisor = 3u * static_cast<std::uint32_t>(block) * static_cast<std::uint32_t>(block);
  for (int y = 0; y < height; ++y) {
    std::fill(sums.begin(), sums.end(), 0u);
    for (int r = 0; r < block; ++r) {
      const std::uint8_t* row = photo.Row(y * block + r);
      for (int x = 0; x < width; ++x) {
        const std::uint8_t* p = row + static_cast<std::ptrdiff_t>(x) * block * 3;
        std::uint32_t sum = 0;
        for (int i = 0; i < block * 3; ++i) sum += p[i];
        sums[static_cast<std::size_t>(x)] += sum;
      }
    }
    std::uint8_t* out = grey.ptr<std::uint8_t>(y);
    for (int x = 0; x < width; ++x)
      out[x] = static_cast<std::uint8_t>((sums[static_cast<std::size_t>(x)] + divisor / 2) / divisor);
  }
  return grey;
}

}  // namespace

DetectionImage MakeDetectionImage(const RgbImage& photo, int maxSide) {
  DetectionImage image;
  const int longer = std::max(photo.Width(), photo.Height());
  const int block = std::max(1, longer / std::max(1, maxSide));
  image.Grey = BlockAverage(photo, block);
  image.ScaleX = image.ScaleY = block;
  const int blockLonger = std::max(image.Grey.cols, image.Grey.rows);
  if (blockLonger > maxSide) {
    const double factor = static_cast<double>(maxSide) / blockLonger;
    const int width = std::max(1, static_cast<int>(image.Grey.cols * factor + 0.5));
    const int height = std::max(1, static_cast<int>(image.Grey.rows * factor + 0.5));
    cv::Mat resized;
    cv::resize(image.Grey, resized, cv::Size(width, height), 0, 0, cv::INTER_AREA);
    image.ScaleX *= static_cast<double>(image.Grey.cols) / width;
    image.ScaleY *= static_cast<double>(image.Grey.rows) / height;
    image.Grey = resized;
  }
  return image;
}

}  // namespace vesk::match
