#pragma once

#include <array>
#include <optional>

#include "model/VT_Points.h"

namespace vesk {

// A plane projective transformation
//   X = (a0 x + a1 y + a2) / (c0 x + c1 y + 1)
//   Y = (b0 x + b1 y + b2) / (c0 x + c1 y + 1)
// kept as an owning point list: empty (no valid transformation) or eight
// points whose X carry the coefficients in the order below (Y is 0). The
// denominator's two coefficients stand between the numerators; the rendering
// job reads the items by these indexes.
using TransformCoefficients = VT_Points;

enum CoefficientIndex : int { kA0 = 0, kA1 = 1, kA2 = 2, kC0 = 3, kC1 = 4, kB0 = 5, kB1 = 6, kB2 = 7 };
inline constexpr int kCoefficientCount = 8;

using CoefficientArray = std::array<double, kCoefficientCount>;

// The eight values in stored order, or nothing when the set is not complete.
std::optional<CoefficientArray> CoefficientValues(const TransformCoefficients& coefficients);

// Appends eight items in stored order.
void AppendCoefficients(TransformCoefficients& coefficients, const CoefficientArray& values);

struct MappedPoint {
  double X = 0;
  double Y = 0;
};

// (x, y) carried through the transformation.
MappedPoint MapThrough(const CoefficientArray& c, double x, double y);

}  // namespace vesk
