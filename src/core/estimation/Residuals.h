#pragma once

#include <optional>
#include <vector>

#include "estimation/TransformCoefficients.h"
#include "model/VT_Points.h"

namespace vesk {

// How well a fitted transformation carries the reference points: for every
// point the mapped source point minus the target point, in target units, and
// the root mean square of their lengths.
struct ResidualReport {
  std::vector<MappedPoint> Points;  // (dx, dy) per reference point, in list order
  double Rms = 0;                   // sqrt(mean of dx² + dy²); 0 without points
};

// Over the points both lists hold. Nothing when `coefficients` is not a
// complete set. Reads the coefficients only.
std::optional<ResidualReport> ComputeResiduals(const TransformCoefficients& coefficients, const VT_Points& source,
                                               const VT_Points& target);

}  // namespace vesk
