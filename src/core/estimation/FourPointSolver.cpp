#include "estimation/FourPointSolver.h"

#include <cmath>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vesk {
namespace {

constexpr int kRows = 8;
constexpr int kRightSide = 8;
constexpr int kMaxRepairPasses = 1000;
constexpr double kMinDeterminant = 1e-9;

// Rows are exchanged by swapping pointers; the arithmetic is the one of
// exchanging the rows themselves.
using Rows = double* [kRows];

// Puts a non-zero entry on the diagonal of rows 0..6 by row exchanges,
// restarting from the top after each exchange.
bool RepairDiagonal(Rows& M) {
  int r = 0;
  int passes = 0;
  do {
    if (M[r][r] != 0) {
      ++r;
    } else {
      int z = r;
      do {
        z = (z + 1) % kRows;
      } while (z != r && M[z][r] == 0);
      if (z == r) return false;
      std::swap(M[r], M[z]);
      r = 0;
    }
    ++passes;
  } while (r != kRows - 1 && passes != kMaxRepairPasses);
  return passes < kMaxRepairPasses;
}

// row[t] = row[t] - f * pivotRow[t] / pivot for t = first..8. Two columns at
// a time where SSE2 is there (every x86-64): the same IEEE operations per
// column, so the same bits as one column at a time.
inline void EliminateRow(double* row, const double* pivotRow, double f, double pivot, int first) {
  int t = first;
#if defined(__SSE2__)
  const __m128d factor = _mm_set1_pd(f);
  const __m128d divisor = _mm_set1_pd(pivot);
  for (; t + 1 <= kRightSide; t += 2) {
    const __m128d product = _mm_mul_pd(factor, _mm_loadu_pd(pivotRow + t));
    _mm_storeu_pd(row + t, _mm_sub_pd(_mm_loadu_pd(row + t), _mm_div_pd(product, divisor)));
  }
#endif
  for (; t <= kRightSide; ++t) row[t] = row[t] - f * pivotRow[t] / pivot;
}

// One system on its way: the augmented matrix and its rows in their
// current order.
struct System {
  double Storage[kRows][kRows + 1];
  Rows M;
};

void BuildSystem(const FourPoints& points, System& system) {
  for (int p = 0; p < 4; ++p) {
    const double x = points.SourceX[p];
    const double y = points.SourceY[p];
    const double X = points.TargetX[p];
    const double Y = points.TargetY[p];
    double* top = system.Storage[p];
    top[0] = x;
    top[1] = y;
    top[2] = 1;
    top[3] = -x * X;
    top[4] = -y * X;
    top[5] = 0;
    top[6] = 0;
    top[7] = 0;
    top[8] = X;
    double* bottom = system.Storage[p + 4];
    bottom[0] = 0;
    bottom[1] = 0;
    bottom[2] = 0;
    bottom[3] = -x * Y;
    bottom[4] = -y * Y;
    bottom[5] = x;
    bottom[6] = y;
    bottom[7] = 1;
    bottom[8] = Y;
  }
  for (int r = 0; r < kRows; ++r) system.M[r] = system.Storage[r];
}

// Elimination of column r with row exchange; false on a zero pivot.
bool EliminateColumn(Rows& M, int r) {
  // The largest entry strictly below the diagonal, first one on ties;
  // row r keeps its place only when everything below it is zero.
  int largest = -1;
  double largestAbs = 0;
  for (int row = r + 1; row < kRows; ++row) {
    const double a = std::fabs(M[row][r]);
    if (a > largestAbs) {
      largestAbs = a;
      largest = row;
    }
  }
  if (largest >= 0) std::swap(M[r], M[largest]);
  const double* pivotRow = M[r];
  const double pivot = pivotRow[r];
  if (pivot == 0) return false;
  for (int s = r + 1; s < kRows; ++s) {
    // Column r itself is never read again below the diagonal, so it is
    // not updated.
    EliminateRow(M[s], pivotRow, M[s][r], pivot, r + 1);
  }
  return true;
}

// Determinant test and back substitution.
bool BackSubstitute(const Rows& M, CoefficientArray& u) {
  double determinant = M[0][0];
  for (int r = 1; r < kRows; ++r) determinant = determinant * M[r][r];
  if (std::fabs(determinant) < kMinDeterminant) return false;

  u[7] = M[7][kRightSide] / M[7][7];
  for (int r = kRows - 2; r >= 0; --r) {
    double sum = 0;
    for (int t = r + 1; t < kRows; ++t) sum += M[r][t] * u[static_cast<std::size_t>(t)];
    u[static_cast<std::size_t>(r)] = (M[r][kRightSide] - sum) / M[r][r];
  }
  // A NaN determinant passes the threshold test; its solution is no sample.
  for (const double value : u)
    if (!std::isfinite(value)) return false;
  return true;
}

}  // namespace

bool SolveFourPointSystem(const FourPoints& points, CoefficientArray& u) {
  System system;
  BuildSystem(points, system);
  if (!RepairDiagonal(system.M)) return false;
  for (int r = 0; r < kRows - 1; ++r)
    if (!EliminateColumn(system.M, r)) return false;
  return BackSubstitute(system.M, u);
}

void SolveFourPointSystems(const FourPoints* points, int count, CoefficientArray* solutions, bool* solved) {
  // Each step of one system waits for the long divisions of the step before;
  // the other systems' steps fill that time. Each system goes through
  // exactly the operations it goes through alone.
  System systems[kMaxSystemsAtOnce];
  for (int k = 0; k < count; ++k) {
    BuildSystem(points[k], systems[k]);
    solved[k] = RepairDiagonal(systems[k].M);
  }
  for (int r = 0; r < kRows - 1; ++r)
    for (int k = 0; k < count; ++k) solved[k] = solved[k] && EliminateColumn(systems[k].M, r);
  for (int k = 0; k < count; ++k) solved[k] = solved[k] && BackSubstitute(systems[k].M, solutions[k]);
}

}  // namespace vesk
