#include "estimation/FourPointSolver.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>

namespace vesk {
namespace {

// Coordinates that take the solver down each of its roads: zeros of both
// signs (row exchanges to repair the diagonal), repeated points (zero
// pivots), tiny and huge values (determinant test, overflow), infinities and
// NaN, next to ordinary ones.
class AwkwardCoordinates {
 public:
  double Next() {
    state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
    const std::uint64_t pick = state_ >> 33;
    const double ordinary = static_cast<double>(pick % 2001) - 1000.0;
    switch (pick % 16) {
      case 0:
        return 0.0;
      case 1:
        return -0.0;
      case 2:
        return 1e-300;
      case 3:
        return 1e300;
      case 4:
        return pick % 64 == 4 ? std::numeric_limits<double>::infinity() : std::numeric_limits<double>::quiet_NaN();
      case 5:
        return last_;  // the same value twice
      default:
        return last_ = ordinary + static_cast<double>(pick % 7) * 0.125;
    }
  }

 private:
  std::uint64_t state_ = 4242;
  double last_ = 1;
};

TEST(FourPointSolverTest, SystemsSolvedTogetherGetTheBitsEachGetsAlone) {
  AwkwardCoordinates random;
  int solvedAlone = 0, failedAlone = 0;
  for (int round = 0; round < 20000; ++round) {
    const int count = 1 + round % kMaxSystemsAtOnce;
    FourPoints points[kMaxSystemsAtOnce];
    for (int k = 0; k < count; ++k)
      for (int p = 0; p < 4; ++p) {
        points[k].SourceX[p] = random.Next();
        points[k].SourceY[p] = random.Next();
        points[k].TargetX[p] = random.Next();
        points[k].TargetY[p] = random.Next();
      }
    CoefficientArray together[kMaxSystemsAtOnce];
    bool solved[kMaxSystemsAtOnce];
    SolveFourPointSystems(points, count, together, solved);
    for (int k = 0; k < count; ++k) {
      CoefficientArray alone;
      const bool ok = SolveFourPointSystem(points[k], alone);
      ASSERT_EQ(solved[k], ok) << "round " << round << ", system " << k;
      ++(ok ? solvedAlone : failedAlone);
      if (ok) {
        ASSERT_EQ(std::memcmp(alone.data(), together[k].data(), sizeof alone), 0) << "round " << round;
      }
    }
  }
  // Both outcomes came up often enough to mean something.
  EXPECT_GT(solvedAlone, 1000);
  EXPECT_GT(failedAlone, 1000);
}

}  // namespace
}  // namespace vesk
