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
