#include "Homography.h"

#include <cmath>
#include <limits>

namespace vesk::match {

cv::Point2d MapPoint(const Homography& h, cv::Point2d p) {
  const double w = h(2, 0) * p.x + h(2, 1) * p.y + h(2, 2);
  if (w == 0) return {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::quiet_NaN()};
  return {(h(0, 0) * p.x + h(0, 1) * p.y + h(0, 2)) / w, (h(1, 0) * p.x + h(1, 1) * p.y + h(1, 2)) / w};
}

double LocalScale(const Homography& h, cv::Point2d p) {
  const double w = h(2, 0) * p.x + h(2, 1) * p.y + h(2, 2);
  const cv::Point2d q = MapPoint(h, p);
  // Derivatives of the mapped coordinates by x and y.
  const double dxdx = (h(0, 0) - q.x * h(2, 0)) / w;
  const double dxdy = (h(0, 1) - q.x * h(2, 1)) / w;
  const double dydx = (h(1, 0) - q.y * h(2, 0)) / w;
  const double dydy = (h(1, 1) - q.y * h(2, 1)) / w;
  const double determinant = dxdx * dydy - dxdy * dydx;
  return determinant < 0 ? -std::sqrt(-determinant) : std::sqrt(determinant);
}

bool IsPlausible(const Homography& h, int width1, int height1) {
  for (int i = 0; i < 9; ++i)
    if (!std::isfinite(h.val[i])) return false;
  const cv::Point2d corners[4] = {{0, 0}, {double(width1), 0}, {double(width1), double(height1)}, {0, double(height1)}};
  // The denominator is linear, so one sign at the four corners is one sign
  // over the whole frame.
  double sign = 0;
  for (const cv::Point2d& c : corners) {
    const double w = h(2, 0) * c.x + h(2, 1) * c.y + h(2, 2);
    if (w == 0 || (sign != 0 && (w > 0) != (sign > 0))) return false;
    sign = w;
  }
  constexpr double kMaxScale = 16;
  for (const cv::Point2d& c : corners) {
    const double scale = LocalScale(h, c);
    if (!(scale > 1 / kMaxScale && scale < kMaxScale)) return false;
  }
  return true;
}

}  // namespace vesk::match
