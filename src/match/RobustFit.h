#pragma once

#include <opencv2/core.hpp>
#include <vector>

#include "Homography.h"

namespace vesk::match {

struct RobustFit {
  bool Found = false;
  Homography Transformation;  // `from` to `to`
  std::vector<bool> Inliers;  // per pair
  int InlierCount = 0;
  double Rms = 0;  // of the inliers' distances in `to`
};

// The plane projective transformation that the most pairs agree with (a pair
// agrees when `to` lies within `threshold` of its mapped `from`), found by
// random sampling and then fitted by least squares to the pairs that agree.
// Deterministic: the sampling starts from a fixed seed.
RobustFit FitRobustly(const std::vector<cv::Point2d>& from, const std::vector<cv::Point2d>& to, double threshold);

}  // namespace vesk::match
