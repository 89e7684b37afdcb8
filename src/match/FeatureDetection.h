#pragma once

#include <opencv2/core.hpp>
#include <vector>

#include "DetectionImage.h"

namespace vesk::match {

// Features of one photograph: positions in the photograph's own pixels
// ((0, 0) the top-left corner), their strength, and one descriptor row each.
struct Features {
  std::vector<cv::Point2d> Points;
  std::vector<float> Strength;
  cv::Mat Descriptors;  // CV_32F, one row per point
  int Count() const { return static_cast<int>(Points.size()); }
};

// Scale- and rotation-invariant features (SIFT) of the detection image, at
// most `maxFeatures` of the strongest, in an order that depends on the
// picture alone (not on how the detector's threads ran), so that a search
// gives the same pairs every time.
Features DetectFeatures(const DetectionImage& image, int maxFeatures);

}  // namespace vesk::match
