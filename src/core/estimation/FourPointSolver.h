#pragma once

#include "estimation/TransformCoefficients.h"

namespace vesk {

// Four correspondences, source (x, y) onto target (X, Y).
struct FourPoints {
  double SourceX[4];
  double SourceY[4];
  double TargetX[4];
  double TargetY[4];
};

// The exact transformation through four correspondences, coefficients in
// stored order. False when the system has no usable solution: no row
// arrangement with a non-zero diagonal, a zero pivot, |determinant| < 1e-9,
// or a non-finite coefficient.
bool SolveFourPointSystem(const FourPoints& points, CoefficientArray& coefficients);

// Up to kMaxSystemsAtOnce independent systems at once, each with the bits it
// gets alone, in less time than one after the other. solved[k] tells
// whether system k has a solution, then in solutions[k].
inline constexpr int kMaxSystemsAtOnce = 4;
void SolveFourPointSystems(const FourPoints* points, int count, CoefficientArray* solutions, bool* solved);

}  // namespace vesk
