#include "FeatureMatching.h"

#include <opencv2/features2d.hpp>

namespace vesk::match {

std::vector<FeatureMatch> MatchFeatures(const Features& first, const Features& second, double ratio) {
  std::vector<FeatureMatch> matches;
  // The ratio test needs two neighbours on each side.
  if (first.Count() < 2 || second.Count() < 2) return matches;
  cv::BFMatcher matcher(cv::NORM_L2);
  std::vector<std::vector<cv::DMatch>> forward;
  std::vector<std::vector<cv::DMatch>> backward;
  matcher.knnMatch(first.Descriptors, second.Descriptors, forward, 2);
  matcher.knnMatch(second.Descriptors, first.Descriptors, backward, 1);
  for (const std::vector<cv::DMatch>& candidates : forward) {
    if (candidates.size() < 2) continue;
    const cv::DMatch& best = candidates[0];
    if (!(best.distance < ratio * candidates[1].distance)) continue;
    const std::vector<cv::DMatch>& back = backward[static_cast<std::size_t>(best.trainIdx)];
    if (back.empty() || back[0].trainIdx != best.queryIdx) continue;
    matches.push_back(FeatureMatch{best.queryIdx, best.trainIdx});
  }
  return matches;
}

}  // namespace vesk::match
