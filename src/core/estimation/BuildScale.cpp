#include "estimation/BuildScale.h"

#include <cmath>

namespace vesk {
namespace {

double Distance(const VT_Point& p, const VT_Point& q) {
  const double dx = p.X - q.X;
  const double dy = p.Y - q.Y;
  return std::sqrt(dx * dx + dy * dy);
}

}  // namespace

std::optional<double> AutoBuildScale(const VT_Points& scene, const VT_Points& points1, const VT_Points& points2) {
  double farthest = -1;
  int first = 0;
  int second = 0;
  for (int i = 0; i < scene.Count(); ++i)
    for (int j = i + 1; j < scene.Count(); ++j) {
      const double distance = Distance(*scene.Get(i), *scene.Get(j));
      if (distance > farthest) {
        farthest = distance;
        first = i;
        second = j;
      }
    }
  if (first == second) return std::nullopt;
  if (points1.Count() <= second || points2.Count() <= second) return std::nullopt;

  const double d1 = Distance(*points1.Get(first), *points1.Get(second));
  const double d2 = Distance(*points2.Get(first), *points2.Get(second));
  const double step = (farthest / d2 + farthest / d1) * 0.5;
  if (!std::isfinite(step) || step <= 0) return std::nullopt;
  return step;
}

}  // namespace vesk
