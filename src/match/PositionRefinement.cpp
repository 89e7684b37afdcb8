#include "PositionRefinement.h"

#include <cmath>
#include <opencv2/imgproc.hpp>

namespace vesk::match {

namespace {

constexpr int kRadius = 12;           // the compared neighbourhood is 25 x 25 pixels
constexpr int kFirstMargin = 4;       // shifts looked at around the estimate, first pass
constexpr int kSecondMargin = 1;      // and around the first pass's result
constexpr double kMinScore = 0.8;     // below this the neighbourhoods are not the same spot
constexpr double kMinContrast = 2.0;  // standard deviation of the grey levels

float GreyAt(const RgbImage& photo, int x, int y) {
  const std::uint8_t* p = photo.Row(y) + static_cast<std::ptrdiff_t>(x) * 3;
  return static_cast<float>(p[0] + p[1] + p[2]) / 3.0f;
}

// Bilinear grey level at a point in the (0, 0)-corner convention; false
// outside the pixel centres' hull.
bool SampleGrey(const RgbImage& photo, cv::Point2d at, float& value) {
  const double u = at.x - 0.5;
  const double v = at.y - 0.5;
  if (!(u >= 0 && v >= 0 && u <= photo.Width() - 1 && v <= photo.Height() - 1)) return false;
  const int x0 = std::min(static_cast<int>(u), photo.Width() - 2 < 0 ? 0 : photo.Width() - 2);
  const int y0 = std::min(static_cast<int>(v), photo.Height() - 2 < 0 ? 0 : photo.Height() - 2);
  const int x1 = std::min(x0 + 1, photo.Width() - 1);
  const int y1 = std::min(y0 + 1, photo.Height() - 1);
  const float fx = static_cast<float>(u - x0);
  const float fy = static_cast<float>(v - y0);
  const float top = GreyAt(photo, x0, y0) * (1 - fx) + GreyAt(photo, x1, y0) * fx;
  const float bottom = GreyAt(photo, x0, y1) * (1 - fx) + GreyAt(photo, x1, y1) * fx;
  value = top * (1 - fy) + bottom * fy;
  return true;
}

// `moving` resampled at the fixed photograph's pixel centres around `centre`,
// `margin` pixels more on each side than the template.
bool Resample(const RgbImage& moving, const Homography& h, cv::Point2d centre, int margin, cv::Mat& out) {
  const int side = 2 * (kRadius + margin) + 1;
  out.create(side, side, CV_32F);
  for (int j = 0; j < side; ++j) {
    float* row = out.ptr<float>(j);
    for (int i = 0; i < side; ++i) {
      const cv::Point2d at(centre.x + (i - kRadius - margin), centre.y + (j - kRadius - margin));
      if (!SampleGrey(moving, MapPoint(h, at), row[i])) return false;
    }
  }
  return true;
}

// The offset of a parabola's vertex through three values, from the middle one.
double PeakOffset(float before, float at, float after) {
  const double curvature = static_cast<double>(before) - 2.0 * at + after;
  if (!(curvature < 0)) return NAN;
  return 0.5 * (before - after) / curvature;
}

// The best shift of the template within the resampled window, to a fraction
// of a pixel; false when the peak is weak, on the border or not sharp.
bool BestShift(const cv::Mat& window, const cv::Mat& templ, int margin, cv::Point2d& shift, double& score) {
  cv::Mat scores;
  cv::matchTemplate(window, templ, scores, cv::TM_CCOEFF_NORMED);
  double best = 0;
  cv::Point at;
  cv::minMaxLoc(scores, nullptr, &best, nullptr, &at);
  if (!(best >= kMinScore)) return false;
  if (at.x == 0 || at.y == 0 || at.x == scores.cols - 1 || at.y == scores.rows - 1) return false;
  const double dx =
      PeakOffset(scores.at<float>(at.y, at.x - 1), scores.at<float>(at.y, at.x), scores.at<float>(at.y, at.x + 1));
  const double dy =
      PeakOffset(scores.at<float>(at.y - 1, at.x), scores.at<float>(at.y, at.x), scores.at<float>(at.y + 1, at.x));
  if (!(std::abs(dx) <= 0.5 && std::abs(dy) <= 0.5)) return false;
  shift = cv::Point2d(at.x - margin + dx, at.y - margin + dy);
  score = best;
  return true;
}

}  // namespace

RefinedPair RefinePair(const RgbImage& fixed, const RgbImage& moving, const Homography& fixedToMoving,
                       cv::Point2d point) {
  RefinedPair pair;
  if (!(std::isfinite(point.x) && std::isfinite(point.y))) return pair;
  const int cx = static_cast<int>(std::floor(point.x));
  const int cy = static_cast<int>(std::floor(point.y));
  if (cx - kRadius < 0 || cy - kRadius < 0 || cx + kRadius >= fixed.Width() || cy + kRadius >= fixed.Height())
    return pair;
  const cv::Point2d centre(cx + 0.5, cy + 0.5);

  cv::Mat templ(2 * kRadius + 1, 2 * kRadius + 1, CV_32F);
  for (int j = 0; j < templ.rows; ++j)
    for (int i = 0; i < templ.cols; ++i) templ.at<float>(j, i) = GreyAt(fixed, cx - kRadius + i, cy - kRadius + j);
  cv::Scalar mean, deviation;
  cv::meanStdDev(templ, mean, deviation);
  if (!(deviation[0] >= kMinContrast)) return pair;

  cv::Mat window;
  cv::Point2d shift;
  double score = 0;
  if (!Resample(moving, fixedToMoving, centre, kFirstMargin, window)) return pair;
  if (!BestShift(window, templ, kFirstMargin, shift, score)) return pair;
  // Once more around the first result, so that the parabola is fitted where
  // the peak really is rather than half a pixel beside it.
  cv::Point2d correction;
  if (!Resample(moving, fixedToMoving, centre + shift, kSecondMargin, window)) return pair;
  if (!BestShift(window, templ, kSecondMargin, correction, score)) return pair;
  shift += correction;

  const cv::Point2d moved = MapPoint(fixedToMoving, centre + shift);
  if (!(std::isfinite(moved.x) && std::isfinite(moved.y))) return pair;
  pair.Found = true;
  pair.Fixed = centre;
  pair.Moving = moved;
  pair.Score = score;
  return pair;
}

}  // namespace vesk::match
