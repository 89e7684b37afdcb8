#include "estimation/LeastSquares.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>

#include "core/estimation/EstimationTestSupport.h"
#include "estimation/Residuals.h"

namespace vesk {
namespace {

using test::Points;

const VT_Points kSource = Points({{10, 20}, {400, 30}, {380, 300}, {20, 310}});
const VT_Points kTarget = Points({{15, 25}, {410, 50}, {370, 280}, {30, 330}});

TEST(LeastSquaresTest, FourPointsGiveTheExactTransformationInStoredOrder) {
  TransformCoefficients coefficients(kOwnsItems);
  ASSERT_TRUE(FitLeastSquares(kSource, kTarget, coefficients));
  const double expected[8] = {1.31697, 0.0183973, 1.67361, 0.000699095, 0.000354476, 0.0699258, 1.18905, 0.871674};
  ASSERT_EQ(coefficients.Count(), 8);
  for (int q = 0; q < 8; ++q) {
    EXPECT_NEAR(coefficients.Get(q)->X, expected[q], 5e-6 * std::fabs(expected[q])) << "coefficient " << q;
    EXPECT_EQ(coefficients.Get(q)->Y, 0);
  }
  const auto residuals = ComputeResiduals(coefficients, kSource, kTarget);
  ASSERT_TRUE(residuals);
  EXPECT_LT(residuals->Rms, 1e-8);
}

TEST(LeastSquaresTest, TheDeterminantThresholdIsAbsolute) {
  // The same points at 1e-4 scale: a perfectly good system whose pivot
  // product falls below 0.00001.
  TransformCoefficients coefficients(kOwnsItems);
  EXPECT_EQ(FitLeastSquaresWithStatus(test::Scaled(kSource, 1e-4), test::Scaled(kTarget, 1e-4), coefficients),
            LeastSquaresStatus::SmallDeterminant);
  EXPECT_EQ(coefficients.Count(), 0);
}

TEST(LeastSquaresTest, AffinePointSetsGiveNoPerspective) {
  const VT_Points source = Points({{0, 0}, {100, 10}, {90, 120}, {10, 100}, {50, 60}});
  VT_Points target(kOwnsItems);
  for (const VT_Point* p : source.Items) target.Add(new VT_Point(2 * p->X + 5, 2 * p->Y - 3));
  TransformCoefficients coefficients(kOwnsItems);
  ASSERT_TRUE(FitLeastSquares(source, target, coefficients));
  const double expected[8] = {2, 0, 5, 0, 0, 0, 2, -3};
  for (int q = 0; q < 8; ++q) EXPECT_NEAR(coefficients.Get(q)->X, expected[q], 1e-9) << "coefficient " << q;
}

TEST(LeastSquaresTest, ExtraTargetPointsAreIgnored) {
  VT_Points longer = Points({{15, 25}, {410, 50}, {370, 280}, {30, 330}, {1e6, -1e6}});
  TransformCoefficients exact(kOwnsItems);
  TransformCoefficients withExtra(kOwnsItems);
  ASSERT_TRUE(FitLeastSquares(kSource, kTarget, exact));
  ASSERT_TRUE(FitLeastSquares(kSource, longer, withExtra));
  for (int q = 0; q < 8; ++q) EXPECT_EQ(exact.Get(q)->X, withExtra.Get(q)->X);
}

TEST(LeastSquaresTest, FailuresAppendNothing) {
  const VT_Points none(kOwnsItems);
  const VT_Points five = Points({{10, 20}, {400, 30}, {380, 300}, {20, 310}, {200, 200}});
  const VT_Points huge = Points({{1e200, 1}, {2e200, 5}, {3, 3e200}, {4e200, 4e200}});
  const VT_Points line = Points({{0, 0}, {1, 1}, {2, 2}, {3, 3}});
  struct Case {
    const char* name;
    const VT_Points& source;
    const VT_Points& target;
    std::optional<LeastSquaresStatus> status;  // nothing: any failure
  } cases[] = {
      {"no point at all", none, none, LeastSquaresStatus::NoPivot},
      {"target shorter than source", five, kTarget, LeastSquaresStatus::TargetTooShort},
      {"overflowing coordinates", huge, huge, LeastSquaresStatus::ArithmeticFault},
      {"collinear points", line, line, std::nullopt},
  };
  for (const Case& c : cases) {
    TransformCoefficients coefficients(kOwnsItems);
    const LeastSquaresStatus status = FitLeastSquaresWithStatus(c.source, c.target, coefficients);
    EXPECT_NE(status, LeastSquaresStatus::Fitted) << c.name;
    if (c.status) {
      EXPECT_EQ(status, *c.status) << c.name;
    }
    EXPECT_EQ(coefficients.Count(), 0) << c.name;
  }
}

}  // namespace
}  // namespace vesk
