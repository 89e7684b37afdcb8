#include "estimation/Residuals.h"

#include <algorithm>
#include <cmath>

namespace vesk {

std::optional<ResidualReport> ComputeResiduals(const TransformCoefficients& coefficients, const VT_Points& source,
                                               const VT_Points& target) {
  const std::optional<CoefficientArray> c = CoefficientValues(coefficients);
  if (!c) return std::nullopt;
  ResidualReport report;
  const int n = std::min(source.Count(), target.Count());
  double squares = 0;
  for (int i = 0; i < n; ++i) {
    const VT_Point& from = *source.Get(i);
    const VT_Point& to = *target.Get(i);
    const MappedPoint mapped = MapThrough(*c, from.X, from.Y);
    const MappedPoint residual{mapped.X - to.X, mapped.Y - to.Y};
    report.Points.push_back(residual);
    squares += residual.X * residual.X + residual.Y * residual.Y;
  }
  if (n > 0) report.Rms = std::sqrt(squares / n);
  return report;
}

}  // namespace vesk
