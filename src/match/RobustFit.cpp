#include "RobustFit.h"

#include <cmath>
#include <opencv2/calib3d.hpp>

namespace vesk::match {

namespace {

std::vector<cv::Point2f> ToFloat(const std::vector<cv::Point2d>& points) {
  return std::vector<cv::Point2f>(points.begin(), points.end());
}

// Marks the pairs within `threshold` of `h`; the count of them.
int MarkInliers(const Homography& h, const std::vector<cv::Point2d>& from, const std::vector<cv::Point2d>& to,
                double threshold, std::vector<bool>& inliers, double& rms) {
  inliers.assign(from.size(), false);
  int count = 0;
  double sum = 0;
  for (std::size_t i = 0; i < from.size(); ++i) {
    const cv::Point2d mapped = MapPoint(h, from[i]);
    const double dx = mapped.x - to[i].x;
    const double dy = mapped.y - to[i].y;
    const double squared = dx * dx + dy * dy;
    if (squared <= threshold * threshold) {  // false for NaN
      inliers[i] = true;
      ++count;
      sum += squared;
    }
  }
  rms = count > 0 ? std::sqrt(sum / count) : 0;
  return count;
}

}  // namespace

RobustFit FitRobustly(const std::vector<cv::Point2d>& from, const std::vector<cv::Point2d>& to, double threshold) {
  RobustFit fit;
  if (from.size() < 4 || from.size() != to.size()) return fit;
  std::vector<unsigned char> mask;
  const cv::Mat sampled = cv::findHomography(ToFloat(from), ToFloat(to), cv::RANSAC, threshold, mask, 10000, 0.9995);
  if (sampled.empty()) return fit;
  Homography h(sampled);
  double rms = 0;
  if (MarkInliers(h, from, to, threshold, fit.Inliers, rms) < 4) return fit;

  // Least squares over the agreeing pairs, then once more over the pairs
  // that agree with that fit.
  for (int pass = 0; pass < 2; ++pass) {
    std::vector<cv::Point2d> inFrom;
    std::vector<cv::Point2d> inTo;
    for (std::size_t i = 0; i < from.size(); ++i)
      if (fit.Inliers[i]) {
        inFrom.push_back(from[i]);
        inTo.push_back(to[i]);
      }
    const cv::Mat refined = cv::findHomography(ToFloat(inFrom), ToFloat(inTo), 0);
    if (refined.empty()) break;
    std::vector<bool> inliers;
    double refinedRms = 0;
    const Homography candidate(refined);
    if (MarkInliers(candidate, from, to, threshold, inliers, refinedRms) < 4) break;
    h = candidate;
    fit.Inliers = inliers;
    rms = refinedRms;
  }
  fit.Found = true;
  fit.Transformation = h;
  fit.InlierCount = 0;
  for (bool in : fit.Inliers) fit.InlierCount += in ? 1 : 0;
  fit.Rms = rms;
  return fit;
}

}  // namespace vesk::match
