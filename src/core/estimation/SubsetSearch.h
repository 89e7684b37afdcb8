#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "estimation/SampleStore.h"
#include "model/VT_Points.h"

namespace vesk {

// One point list prepared for the four-point subset tests: every pair's slope
// angle and whether the pair is far enough apart, computed once instead of
// once per subset.
struct SubsetPointTable {
  int Count = 0;
  std::vector<double> X;
  std::vector<double> Y;
  std::vector<double> Angles;           // Angles[p * Count + q] = SlopeAngle(point p, point q)
  std::vector<std::uint8_t> FarEnough;  // distance >= threshold, per pair
};

// The first `count` points of `points`; `minDistance` < 0 switches the
// distance test off (every pair far enough).
SubsetPointTable PrepareSubsetPointTable(const VT_Points& points, int count, double minDistance);

// Distance between two points as the subset test measures it.
double PointDistance(double x1, double y1, double x2, double y2);

// Direction of the line through two points, blind to the sign of the slope:
// atan(|dy| / |dx|), and pi (not pi/2) for a vertical line.
double SlopeAngleOf(double px, double py, double qx, double qy);

// Told the number of subsets enumerated so far; false asks the search to stop.
using SubsetProgress = std::function<bool(long long enumerated)>;

// Enumerates every subset i < j < k < m of the common point indexes in
// lexicographic order, keeps those that pass the distance and angle tests in
// both lists, solves each exactly and returns the solutions in enumeration
// order. The outer index is shared out among `threads` workers; their
// solutions are put back in enumeration order, so the result does not depend
// on the number of threads. `progress` runs on the calling thread, at the end
// with the total count. Nothing when the search was stopped, also when
// the stop request came with that last report.
std::optional<SampleStore> SearchSubsets(const SubsetPointTable& source, const SubsetPointTable& target,
                                         double minAngleRadians, int threads, const SubsetProgress& progress);

// C(n, 4) as an integer count.
long long FourPointSubsetCount(int n);

}  // namespace vesk
