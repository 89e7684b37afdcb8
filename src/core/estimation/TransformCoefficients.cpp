#include "estimation/TransformCoefficients.h"

namespace vesk {

std::optional<CoefficientArray> CoefficientValues(const TransformCoefficients& coefficients) {
  if (coefficients.Count() != kCoefficientCount) return std::nullopt;
  CoefficientArray values{};
  for (int q = 0; q < kCoefficientCount; ++q) values[static_cast<std::size_t>(q)] = coefficients.Get(q)->X;
  return values;
}

void AppendCoefficients(TransformCoefficients& coefficients, const CoefficientArray& values) {
  for (const double value : values) coefficients.Add(new VT_Point(value, 0));
}

MappedPoint MapThrough(const CoefficientArray& c, double x, double y) {
  const double denominator = c[kC0] * x + c[kC1] * y + 1;
  return MappedPoint{(c[kA0] * x + c[kA1] * y + c[kA2]) / denominator,
                     (c[kB0] * x + c[kB1] * y + c[kB2]) / denominator};
}

}  // namespace vesk
