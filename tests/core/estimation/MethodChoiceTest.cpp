#include "estimation/MethodChoice.h"

#include <gtest/gtest.h>

#include "common/VeskError.h"
#include "core/estimation/EstimationTestSupport.h"

namespace vesk {
namespace {

using test::Points;

// Twelve points; the second set equals the first but for one point moved
// `offset` to the right, so the mean shift residual is offset / 12.
void MakeSets(int count, double offset, VT_Points& first, VT_Points& second) {
  for (int i = 0; i < count; ++i) {
    first.Add(new VT_Point(10.0 * i, 7.0 * (i % 3)));
    second.Add(new VT_Point(10.0 * i + 100 + (i == count - 1 ? offset : 0), 7.0 * (i % 3) - 40));
  }
}

TEST(MethodChoiceTest, MeanShiftResidualRemovesTheShiftOfItemZero) {
  const VT_Points first = Points({{0, 0}, {10, 0}, {4, 4}});
  const VT_Points second = Points({{5, 5}, {15, 8}, {9, 9}});
  // Item 1 is 3 off after the shift, item 2 lies exactly: (0 + 3 + 0) / 3.
  EXPECT_DOUBLE_EQ(MeanShiftResidual(first, second), 1.0);
}

TEST(MethodChoiceTest, MeanShiftResidualRaisesTheListErrors) {
  const VT_Points empty(kOwnsItems);
  const VT_Points two = Points({{0, 0}, {1, 1}});
  const VT_Points one = Points({{0, 0}});
  EXPECT_THROW(MeanShiftResidual(empty, two), VeskError);
  EXPECT_THROW(MeanShiftResidual(two, one), VeskError);
}

TEST(MethodChoiceTest, LeastSquaresOnlyForLargeSetsBeyondAShift) {
  struct Case {
    int count;
    double offset;
    EstimationMethod expected;
  } cases[] = {
      {12, 240, EstimationMethod::LeastSquares},  // residual exactly 20
      {12, 239.9, EstimationMethod::Statistics},  // just below 20
      {11, 5000, EstimationMethod::Statistics},   // too few points whatever the residual
      {30, 0, EstimationMethod::Statistics},      // a pure shift
  };
  for (const Case& c : cases) {
    VT_Points first(kOwnsItems);
    VT_Points second(kOwnsItems);
    MakeSets(c.count, c.offset, first, second);
    EXPECT_EQ(SelectEstimationMethod(first, second), c.expected) << c.count << " points, offset " << c.offset;
  }
}

// The largest point count whose statistical fit in `mode` stays within the
// automatic choice's bound.
int LargestCountWithinTheBound(BuildMode mode) {
  int n = 4;
  while (StatisticalSubsets(mode, n + 1) <= kMaxAutomaticStatisticalSubsets) ++n;
  return n;
}

// The statistical method's cost grows as the fourth power of the count: the
// automatic choice takes least squares beyond its bound and says so, and
// counts both fits of the scene anaglyphs.
TEST(MethodChoiceTest, TheAutomaticChoiceAvoidsStatisticalFitsBeyondTheBound) {
  EXPECT_DOUBLE_EQ(StatisticalSubsets(BuildMode::SecondToFirst, 12), 495);
  EXPECT_DOUBLE_EQ(StatisticalSubsets(static_cast<BuildMode>(11), 12), 990);
  EXPECT_DOUBLE_EQ(StatisticalSubsets(BuildMode::SecondToFirst, 3), 0);
  // 2000 points would take about a day: far beyond the bound.
  EXPECT_GT(EstimatedStatisticalSeconds(StatisticalSubsets(BuildMode::SecondToFirst, 2000)), 3600.0);

  const int within = LargestCountWithinTheBound(BuildMode::SecondToFirst);
  const BuildMode sceneAnaglyph = static_cast<BuildMode>(11);
  struct Case {
    BuildMode mode;
    int count;
    double offset;
    EstimationMethod expected;
    bool tooMany;
  } cases[] = {
      {BuildMode::SecondToFirst, within, 0, EstimationMethod::Statistics, false},
      {BuildMode::SecondToFirst, within + 1, 0, EstimationMethod::LeastSquares, true},
      {sceneAnaglyph, within, 0, EstimationMethod::LeastSquares, true},  // two fits of `within` points
      {sceneAnaglyph, LargestCountWithinTheBound(sceneAnaglyph), 0, EstimationMethod::Statistics, false},
      // Least squares by the rule itself is not the bound's doing.
      {BuildMode::SecondToFirst, within + 1, 1e6, EstimationMethod::LeastSquares, false},
      {BuildMode::SecondToFirst, 5, 0, EstimationMethod::Statistics, false},
  };
  for (const Case& c : cases) {
    VT_Points first(kOwnsItems);
    VT_Points second(kOwnsItems);
    MakeSets(c.count, c.offset, first, second);
    const MethodChoice choice = ChooseEstimationMethod(c.mode, first, second);
    EXPECT_EQ(choice.Method, c.expected) << c.count << " points, mode " << static_cast<int>(c.mode);
    EXPECT_EQ(choice.TooManySubsets, c.tooMany) << c.count << " points, mode " << static_cast<int>(c.mode);
    EXPECT_DOUBLE_EQ(choice.Subsets, StatisticalSubsets(c.mode, c.count));
  }
}

TEST(MethodChoiceTest, SubsetsPerTick) {
  struct Case {
    int n;
    double share;
    double expected;
  } cases[] = {
      {4, 0.01, 1},   {5, 0.01, 1},     {3, 0.01, 1},        {10, 0.01, 3}, {12, 0.01, 5},
      {12, 0.02, 10}, {60, 0.01, 4877}, {200, 0.01, 646850},  // beyond 170 points n! overflows; the count must not
  };
  for (const Case& c : cases) EXPECT_EQ(SubsetsPerTick(c.n, c.share), c.expected) << c.n << " points";
}

TEST(MethodChoiceTest, ProgressShareAndPointCountFollowTheMode) {
  EXPECT_EQ(ProgressShare(BuildMode::AnaglyphOnScene), 0.02);
  EXPECT_EQ(ProgressShare(BuildMode::AnaglyphOnSceneInterpolated), 0.02);
  EXPECT_EQ(ProgressShare(BuildMode::FirstToPlan), 0.01);
  EXPECT_EQ(SubsetsPerTickPointCount(BuildMode::SecondToPlan, 7, 9), 9);
  EXPECT_EQ(SubsetsPerTickPointCount(BuildMode::SecondToPlanInterpolated, 7, 9), 9);
  EXPECT_EQ(SubsetsPerTickPointCount(BuildMode::AnaglyphOnSceneInterpolated, 7, 9), 7);
}

}  // namespace
}  // namespace vesk
