#pragma once

#include "model/BuildMode.h"
#include "model/VT_Points.h"

namespace vesk {

enum class EstimationMethod { LeastSquares, Statistics };

// Mean distance between the points of points2 and those of points1 shifted so
// that item 0 falls on item 0 of points2: how far the two sets differ by more
// than a translation. Raises the list's index error when points1 is empty or
// points2 shorter than points1.
double MeanShiftResidual(const VT_Points& points1, const VT_Points& points2);

// Least squares only for large sets (12 points or more in the first
// photograph) whose images differ clearly from a shift (residual 20 or more);
// the statistical method otherwise.
EstimationMethod SelectEstimationMethod(const VT_Points& points1, const VT_Points& points2);

// How fast the statistical method solves four-point subsets on a two-core
// machine (measured: 4.6 million subsets per processor second for 200
// scattered points without the distance test, both cores working), and
// the time beyond which the automatic choice gives up on it. Its cost grows
// as the fourth power of the point count (a day for 2000 points), so large
// sets that would go to it go to least squares instead. Measure the rate
// again whenever the statistical method's speed changes.
inline constexpr double kStatisticalSubsetsPerSecond = 9e6;
inline constexpr double kAutomaticStatisticsSecondsLimit = 10;
inline constexpr double kMaxAutomaticStatisticalSubsets =
    kStatisticalSubsetsPerSecond * kAutomaticStatisticsSecondsLimit;

// Four-point subsets the statistical method solves for a build of `mode`
// with n points: C(n, 4) for each fit of its plan.
double StatisticalSubsets(BuildMode mode, int n);

// Seconds the statistical method is expected to take for `subsets`.
double EstimatedStatisticalSeconds(double subsets);

// The automatic choice for a build: SelectEstimationMethod, except that the
// statistical method is not taken when it would solve more subsets than
// kMaxAutomaticStatisticalSubsets.
struct MethodChoice {
  EstimationMethod Method = EstimationMethod::Statistics;
  bool TooManySubsets = false;  // the statistical method was due, least squares taken instead
  double Subsets = 0;           // what the statistical method would solve for this build
};
MethodChoice ChooseEstimationMethod(BuildMode mode, const VT_Points& points1, const VT_Points& points2);

// Four-point subsets per progress step: C(n, 4) times `share`, rounded up;
// 1 for n = 4 (and for n below 4).
double SubsetsPerTick(int n, double share);

// The progress share of one fit: a hundredth, or half of that when two fits
// share the progress bar.
double ProgressShare(BuildMode mode);

// The point count SubsetsPerTick is taken from: the second photograph's in the
// modes built on the second photograph's plane fit, the first's otherwise.
int SubsetsPerTickPointCount(BuildMode mode, int firstPhotoCount, int secondPhotoCount);

}  // namespace vesk
