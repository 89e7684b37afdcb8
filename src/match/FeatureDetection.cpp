#include "FeatureDetection.h"

#include <algorithm>
#include <numeric>
#include <opencv2/features2d.hpp>
#include <tuple>

namespace vesk::match {

Features DetectFeatures(const DetectionImage& image, int maxFeatures) {
  Features features;
  if (image.Grey.empty()) return features;
  cv::Ptr<cv::SIFT> sift = cv::SIFT::create(maxFeatures);
  std::vector<cv::KeyPoint> keypoints;
  cv::Mat descriptors;
  sift->detectAndCompute(image.Grey, cv::noArray(), keypoints, descriptors);
  if (keypoints.empty()) return features;

  std::vector<std::size_t> order(keypoints.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::sort(order.begin(), order.end(), [&keypoints](std::size_t a, std::size_t b) {
    const cv::KeyPoint& p = keypoints[a];
    const cv::KeyPoint& q = keypoints[b];
    return std::tie(q.response, p.pt.y, p.pt.x, p.size, p.angle, p.octave) <
           std::tie(p.response, q.pt.y, q.pt.x, q.size, q.angle, q.octave);
  });
  features.Descriptors.create(static_cast<int>(order.size()), descriptors.cols, descriptors.type());
  features.Points.reserve(order.size());
  features.Strength.reserve(order.size());
  for (std::size_t i = 0; i < order.size(); ++i) {
    const cv::KeyPoint& k = keypoints[order[i]];
    // OpenCV puts pixel centres at whole numbers; the photograph's points
    // have them half a pixel further in.
    features.Points.emplace_back((k.pt.x + 0.5) * image.ScaleX, (k.pt.y + 0.5) * image.ScaleY);
    features.Strength.push_back(k.response);
    descriptors.row(static_cast<int>(order[i])).copyTo(features.Descriptors.row(static_cast<int>(i)));
  }
  return features;
}

}  // namespace vesk::match
