#include "estimation/LeastSquares.h"

#include <cmath>
#include <utility>

namespace vesk {
namespace {

constexpr int kRows = 8;
constexpr int kColumns = 9;
constexpr int kMaxArrangements = 1000;
constexpr double kMinDeterminant = 0.00001;

using Matrix = double[kRows][kColumns];

struct Sums {
  double Sx = 0, Sy = 0, Sxx = 0, Sxy = 0, Syy = 0;
  double SX = 0, SY = 0;
  double SXx = 0, SXy = 0, SYx = 0, SYy = 0;
  double SXxx = 0, SXxy = 0, SXyy = 0, SYxx = 0, SYxy = 0, SYyy = 0;
  double X2x = 0, X2y = 0, X2xx = 0, X2xy = 0, X2yy = 0;
  double Y2x = 0, Y2y = 0, Y2xx = 0, Y2xy = 0, Y2yy = 0;
};

void Accumulate(Sums& s, double x, double y, double X, double Y) {
  s.Sx += x;
  s.Sy += y;
  s.Sxx += x * x;
  s.Sxy += x * y;
  s.Syy += y * y;
  s.SX += X;
  s.SY += Y;
  s.SXx += X * x;
  s.SXy += X * y;
  s.SYx += Y * x;
  s.SYy += Y * y;
  s.SXxx += X * x * x;
  s.SXxy += X * x * y;
  s.SXyy += X * y * y;
  s.SYxx += Y * x * x;
  s.SYxy += Y * x * y;
  s.SYyy += Y * y * y;
  s.X2x += X * X * x;
  s.X2y += X * X * y;
  s.X2xx += X * X * x * x;
  s.X2xy += X * X * x * y;
  s.X2yy += X * X * y * y;
  s.Y2x += Y * Y * x;
  s.Y2y += Y * Y * y;
  s.Y2xx += Y * Y * x * x;
  s.Y2xy += Y * Y * x * y;
  s.Y2yy += Y * Y * y * y;
}

// Unknowns in the order a0, a1, a2, b0, b1, b2, c0, c1; column 8 the right side.
void BuildNormalEquations(const Sums& s, double n, Matrix& A) {
  const double Qx = s.X2x + s.Y2x;
  const double Qy = s.X2y + s.Y2y;
  const double Qxx = s.X2xx + s.Y2xx;
  const double Qxy = s.X2xy + s.Y2xy;
  const double Qyy = s.X2yy + s.Y2yy;
  const double rows[kRows][kColumns] = {
      {s.Sxx, s.Sxy, s.Sx, 0, 0, 0, -s.SXxx, -s.SXxy, s.SXx},
      {s.Sxy, s.Syy, s.Sy, 0, 0, 0, -s.SXxy, -s.SXyy, s.SXy},
      {s.Sx, s.Sy, n, 0, 0, 0, -s.SXx, -s.SXy, s.SX},
      {0, 0, 0, s.Sxx, s.Sxy, s.Sx, -s.SYxx, -s.SYxy, s.SYx},
      {0, 0, 0, s.Sxy, s.Syy, s.Sy, -s.SYxy, -s.SYyy, s.SYy},
      {0, 0, 0, s.Sx, s.Sy, n, -s.SYx, -s.SYy, s.SY},
      {-s.SXxx, -s.SXxy, -s.SXx, -s.SYxx, -s.SYxy, -s.SYx, Qxx, Qxy, -Qx},
      {-s.SXxy, -s.SXyy, -s.SXy, -s.SYxy, -s.SYyy, -s.SYy, Qxy, Qyy, -Qy},
  };
  for (int r = 0; r < kRows; ++r)
    for (int c = 0; c < kColumns; ++c) A[r][c] = rows[r][c];
}

void SwapRows(Matrix& A, int a, int b) {
  for (int c = 0; c < kColumns; ++c) std::swap(A[a][c], A[b][c]);
}

// Whole-row swaps until the diagonal of rows 0..6 holds no zero, restarting
// from the top after every swap. The last row's diagonal is left to the
// elimination.
LeastSquaresStatus ArrangePivots(Matrix& A) {
  int i = 0;
  int iterations = 0;
  do {
    if (A[i][i] != 0) {
      ++i;
    } else {
      int j = i;
      do {
        j = (j + 1) % kRows;
      } while (j != i && A[j][i] == 0);
      if (j == i) return LeastSquaresStatus::NoPivot;
      SwapRows(A, i, j);
      i = 0;
    }
    ++iterations;
  } while (i != kRows - 1 && iterations < kMaxArrangements);
  return iterations >= kMaxArrangements ? LeastSquaresStatus::PivotSearchTooLong : LeastSquaresStatus::Fitted;
}

bool AllFinite(const Matrix& A) {
  for (int r = 0; r < kRows; ++r)
    for (int c = 0; c < kColumns; ++c)
      if (!std::isfinite(A[r][c])) return false;
  return true;
}

}  // namespace

LeastSquaresStatus FitLeastSquaresWithStatus(const VT_Points& source, const VT_Points& target,
                                             TransformCoefficients& coefficients) {
  const int n = source.Count();
  if (target.Count() < n) return LeastSquaresStatus::TargetTooShort;

  Sums sums;
  for (int i = 0; i < n; ++i) {
    const VT_Point& from = *source.Get(i);
    const VT_Point& to = *target.Get(i);
    Accumulate(sums, from.X, from.Y, to.X, to.Y);
  }

  Matrix A;
  BuildNormalEquations(sums, n, A);
  // An overflowing sum would otherwise turn into NaN pivots further down.
  if (!AllFinite(A)) return LeastSquaresStatus::ArithmeticFault;

  if (const LeastSquaresStatus arranged = ArrangePivots(A); arranged != LeastSquaresStatus::Fitted) return arranged;

  for (int k = 0; k < kRows - 1; ++k) {
    if (A[k][k] == 0) return LeastSquaresStatus::ZeroPivot;
    for (int r = k + 1; r < kRows; ++r) {
      const double f = A[r][k];
      for (int c = k; c < kColumns; ++c) A[r][c] = A[r][c] - (f * A[k][c]) / A[k][k];
    }
  }
  if (!AllFinite(A)) return LeastSquaresStatus::ArithmeticFault;

  double d = 1;
  for (int k = 0; k < kRows; ++k) d = A[k][k] * d;
  if (!std::isfinite(d)) return LeastSquaresStatus::ArithmeticFault;
  if (std::fabs(d) < kMinDeterminant) return LeastSquaresStatus::SmallDeterminant;

  double s[kRows];
  s[7] = A[7][8] / A[7][7];
  for (int p = 6; p >= 0; --p) {
    double sum = 0;
    for (int k = p + 1; k < kRows; ++k) sum += A[p][k] * s[k];
    s[p] = (A[p][8] - sum) / A[p][p];
  }
  for (const double value : s)
    if (!std::isfinite(value)) return LeastSquaresStatus::ArithmeticFault;

  AppendCoefficients(coefficients, CoefficientArray{s[0], s[1], s[2], s[6], s[7], s[3], s[4], s[5]});
  return LeastSquaresStatus::Fitted;
}

const char* LeastSquaresStatusText(LeastSquaresStatus status) {
  switch (status) {
    case LeastSquaresStatus::Fitted:
      return "fitted";
    case LeastSquaresStatus::TargetTooShort:
      return "the target point list is shorter than the source point list";
    case LeastSquaresStatus::NoPivot:
      return "the normal equations have a column without any non-zero entry (no points, or degenerate points)";
    case LeastSquaresStatus::PivotSearchTooLong:
      return "no arrangement of the normal equations with a non-zero diagonal was found";
    case LeastSquaresStatus::ZeroPivot:
      return "a zero pivot appeared during elimination (the points are degenerate)";
    case LeastSquaresStatus::SmallDeterminant:
      return "the normal equations are singular or the coordinates too small (|determinant| < 0.00001)";
    case LeastSquaresStatus::ArithmeticFault:
      return "an arithmetic overflow occurred (coordinates too large)";
  }
  return "unknown failure";
}

}  // namespace vesk
