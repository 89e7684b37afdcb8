#pragma once

#include <opencv2/core.hpp>

#include "render/RgbImage.h"

namespace vesk::match {

// The grey copy of a photograph that features are detected on, no larger than
// the detection side, and how its pixels relate to the photograph's: a point
// (x, y) of the copy, (0, 0) at the top-left corner, is the point
// (x * ScaleX, y * ScaleY) of the photograph in the same convention.
struct DetectionImage {
  cv::Mat Grey;  // CV_8UC1
  double ScaleX = 1;
  double ScaleY = 1;
};

// Grey levels as the anaglyphs take them, (r + g + b) / 3. A photograph whose
// longer side exceeds `maxSide` is first averaged over whole blocks of pixels
// (so that a huge photograph is read once and never copied whole) and then
// resized by area to that side.
DetectionImage MakeDetectionImage(const RgbImage& photo, int maxSide);

}  // namespace vesk::match
