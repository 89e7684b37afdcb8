#include "estimation/MethodChoice.h"

#include <cmath>

#include "model/BuildModeTraits.h"
#include "model/NumericHelpers.h"

namespace vesk {

double MeanShiftResidual(const VT_Points& points1, const VT_Points& points2) {
  const int n1 = points1.Count();
  const VT_Point& origin1 = *points1.Get(0);
  const VT_Point& origin2 = *points2.Get(0);
  double sum = 0;
  for (int i = 0; i < n1; ++i) {
    const VT_Point& p1 = *points1.Get(i);
    const VT_Point& p2 = *points2.Get(i);
    const double dx = (p1.X - origin1.X) - (p2.X - origin2.X);
    const double dy = (p1.Y - origin1.Y) - (p2.Y - origin2.Y);
    sum += std::sqrt(dx * dx + dy * dy);
  }
  return (1.0 / n1) * sum;
}

EstimationMethod SelectEstimationMethod(const VT_Points& points1, const VT_Points& points2) {
  const double residual = MeanShiftResidual(points1, points2);
  if (residual >= 20.0 && points1.Count() >= 12) return EstimationMethod::LeastSquares;
  return EstimationMethod::Statistics;
}

namespace {

double FourPointSubsets(int n) {
  if (n < 4) return 0;
  const double count = n;
  return count * (count - 1) * (count - 2) * (count - 3) / 24;
}

}  // namespace

double StatisticalSubsets(BuildMode mode, int n) { return FourPointSubsets(n) * (TraitsOf(mode).Plan.Second ? 2 : 1); }

double EstimatedStatisticalSeconds(double subsets) { return subsets / kStatisticalSubsetsPerSecond; }

MethodChoice ChooseEstimationMethod(BuildMode mode, const VT_Points& points1, const VT_Points& points2) {
  MethodChoice choice;
  choice.Method = SelectEstimationMethod(points1, points2);
  choice.Subsets = StatisticalSubsets(mode, SubsetsPerTickPointCount(mode, points1.Count(), points2.Count()));
  if (choice.Method == EstimationMethod::Statistics && choice.Subsets > kMaxAutomaticStatisticalSubsets) {
    choice.Method = EstimationMethod::LeastSquares;
    choice.TooManySubsets = true;
  }
  return choice;
}

double SubsetsPerTick(int n, double share) {
  if (n == 4) return 1;
  double subsets = Factorial(n) / (Factorial(n - 4) * Factorial(4));
  // n! overflows beyond 170 points; the product form gives the same count.
  if (!std::isfinite(subsets)) subsets = static_cast<double>(n) * (n - 1) * (n - 2) * (n - 3) / 24;
  return std::ceil(subsets * share);
}

double ProgressShare(BuildMode mode) { return TraitsOf(mode).Plan.Second ? 0.02 : 0.01; }

int SubsetsPerTickPointCount(BuildMode mode, int firstPhotoCount, int secondPhotoCount) {
  // The second photograph's plane fits count its points.
  const PlannedFit& primary = TraitsOf(mode).Plan.Primary;
  const bool secondPlane = (primary.Source == PointSetCode::SecondPhoto && primary.Target == PointSetCode::Scene) ||
                           (primary.Source == PointSetCode::Scene && primary.Target == PointSetCode::SecondPhoto);
  return secondPlane ? secondPhotoCount : firstPhotoCount;
}

}  // namespace vesk
