#pragma once

#include "estimation/TransformCoefficients.h"
#include "model/VT_Points.h"

namespace vesk {

// Why a least-squares fit gave no transformation.
enum class LeastSquaresStatus {
  Fitted,
  TargetTooShort,      // fewer target points than source points
  NoPivot,             // a column without any non-zero entry (also: no point at all)
  PivotSearchTooLong,  // 1000 row arrangements without reaching the last row
  ZeroPivot,           // a zero on the diagonal during elimination
  SmallDeterminant,    // |product of the pivots| below 0.00001 (absolute)
  ArithmeticFault,     // overflow or another non-finite intermediate
};

// Fits the transformation carrying each source point onto the target point of
// the same index, over as many points as the source holds, by the normal
// equations of the model multiplied out by its denominator. On success
// appends the eight coefficients in stored order; on failure appends nothing.
// The caller empties `coefficients` beforehand.
LeastSquaresStatus FitLeastSquaresWithStatus(const VT_Points& source, const VT_Points& target,
                                             TransformCoefficients& coefficients);

inline bool FitLeastSquares(const VT_Points& source, const VT_Points& target, TransformCoefficients& coefficients) {
  return FitLeastSquaresWithStatus(source, target, coefficients) == LeastSquaresStatus::Fitted;
}

// A short English explanation for reports.
const char* LeastSquaresStatusText(LeastSquaresStatus status);

}  // namespace vesk
