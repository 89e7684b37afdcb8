#pragma once

#include <opencv2/core.hpp>

#include "Homography.h"
#include "render/RgbImage.h"

namespace vesk::match {

struct RefinedPair {
  bool Found = false;
  cv::Point2d Fixed;   // the centre of the pixel nearest the given point
  cv::Point2d Moving;  // where that spot lies in the other photograph
  double Score = 0;    // normalised correlation of the two neighbourhoods, up to 1
};

// Positions a pair at full resolution. The neighbourhood of `point` in
// `fixed` is compared with `moving` resampled through `fixedToMoving` (so
// rotation, scale and perspective are taken out), and the best small shift
// is found by normalised correlation, which ignores changes of brightness
// and contrast, to a fraction of a pixel. Not found when the neighbourhood is
// flat, reaches beyond either photograph, correlates weakly (the pair was
// wrong) or gives no clear peak. Points in the photographs' pixels, (0, 0)
// the top-left corner. Works best when `moving` is the photograph with the
// coarser view, so that resampling it never skips pixels.
RefinedPair RefinePair(const RgbImage& fixed, const RgbImage& moving, const Homography& fixedToMoving,
                       cv::Point2d point);

}  // namespace vesk::match
