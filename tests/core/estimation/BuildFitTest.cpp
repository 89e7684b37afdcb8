#include "estimation/BuildFit.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/estimation/EstimationTestSupport.h"
#include "estimation/LeastSquares.h"
#include "estimation/Residuals.h"

namespace vesk {
namespace {

using test::Points;

// Counts the ticks it is shown; may ask the build to stop at one of them.
class CountingProgress : public ProgressSink {
 public:
  int position = -1;
  int ticks = 0;
  int cancelAtTick = -1;
  CancelToken cancel;
  void SetPosition(int p) override {
    if (p == position + 1) ++ticks;
    position = p;
    if (ticks == cancelAtTick) cancel.Request();
  }
};

// Three views of six points: a perspective pair and the scene.
struct ThreeSets {
  VT_Points first = Points({{10, 20}, {400, 30}, {380, 300}, {20, 310}, {200, 160}, {120, 240}});
  VT_Points second = Points({{15, 25}, {410, 50}, {370, 280}, {30, 330}, {205, 170}, {128, 255}});
  VT_Points scene = Points({{0, 0}, {300, 0}, {300, 200}, {0, 200}, {150, 100}, {80, 150}});

  // A build on these sets with default settings and no photograph sizes.
  BuildFitInput Input(BuildMode mode, EstimationMethod method) const {
    return BuildFitInput{mode, method, first, second, scene, {}, {}, {}, 0};
  }
};

TEST(BuildFitTest, LeastSquaresFillsBothSetsOfTheSceneAnaglyphInPlanOrder) {
  const ThreeSets sets;
  const BuildFitInput input = sets.Input(BuildMode::AnaglyphOnScene, EstimationMethod::LeastSquares);
  TransformCoefficients primary(kOwnsItems), second(kOwnsItems);
  primary.Add(new VT_Point(99, 99));  // left over from an earlier build
  const BuildFitOutcome outcome = FitBuildTransformations(input, primary, second);
  ASSERT_TRUE(outcome.AllFitted());
  ASSERT_EQ(outcome.Fits.size(), 2u);

  TransformCoefficients firstToScene(kOwnsItems), sceneToSecond(kOwnsItems);
  ASSERT_TRUE(FitLeastSquares(sets.first, sets.scene, firstToScene));
  ASSERT_TRUE(FitLeastSquares(sets.scene, sets.second, sceneToSecond));
  ASSERT_EQ(primary.Count(), 8);
  ASSERT_EQ(second.Count(), 8);
  for (int q = 0; q < 8; ++q) {
    EXPECT_EQ(primary.Get(q)->X, firstToScene.Get(q)->X);
    EXPECT_EQ(second.Get(q)->X, sceneToSecond.Get(q)->X);
  }
}

TEST(BuildFitTest, StatisticsRunsThePlanWithProgressFromZeroTo100) {
  const ThreeSets sets;
  const BuildFitInput input = sets.Input(BuildMode::AnaglyphOnSceneInterpolated, EstimationMethod::Statistics);
  TransformCoefficients primary(kOwnsItems), second(kOwnsItems);
  CountingProgress progress;
  progress.position = 55;
  const BuildFitOutcome outcome = FitBuildTransformations(input, primary, second, &progress);
  EXPECT_TRUE(outcome.AllFitted());
  EXPECT_EQ(primary.Count(), 8);
  EXPECT_EQ(second.Count(), 8);
  // C(6, 4) = 15 subsets per fit, one tick each (share 0.02 rounds up to 1).
  EXPECT_EQ(progress.ticks, 30);
  EXPECT_EQ(progress.position, 100);
}

TEST(BuildFitTest, CancellingDuringTheFirstFitSkipsTheSecond) {
  const ThreeSets sets;
  const BuildFitInput input = sets.Input(BuildMode::AnaglyphOnSceneInterpolated, EstimationMethod::Statistics);
  TransformCoefficients primary(kOwnsItems), second(kOwnsItems);
  CountingProgress progress;
  progress.cancelAtTick = 3;  // of the 15 subsets of the first fit
  const BuildFitOutcome outcome = FitBuildTransformations(input, primary, second, &progress, &progress.cancel);
  ASSERT_EQ(outcome.Fits.size(), 2u);
  EXPECT_TRUE(outcome.Fits[0].Started);
  EXPECT_FALSE(outcome.Fits[0].Fitted);
  EXPECT_EQ(outcome.Fits[0].Failure, "cancelled");
  EXPECT_FALSE(outcome.Fits[1].Started);
  EXPECT_FALSE(outcome.Fits[1].Fitted);
  EXPECT_EQ(primary.Count(), 0);
  EXPECT_EQ(second.Count(), 0);
}

TEST(BuildFitTest, EachFailedFitIsReportedAndTheOtherStillRuns) {
  const ThreeSets sets;
  const VT_Points fewScene = Points({{0, 0}, {300, 0}, {300, 200}});
  for (const EstimationMethod method : {EstimationMethod::LeastSquares, EstimationMethod::Statistics}) {
    // The primary fit (first photograph to the scene) has a scene list
    // shorter than its source; the second (scene to the second photograph)
    // has too few points for a projective fit.
    const BuildFitInput input{BuildMode::AnaglyphOnScene, method, sets.first, sets.second, fewScene, {}, {}, {}, 0};
    TransformCoefficients primary(kOwnsItems), second(kOwnsItems);
    const BuildFitOutcome outcome = FitBuildTransformations(input, primary, second);
    ASSERT_EQ(outcome.Fits.size(), 2u);
    EXPECT_FALSE(outcome.AllFitted());
    EXPECT_FALSE(outcome.Fits[0].Fitted);
    EXPECT_FALSE(outcome.Fits[0].Failure.empty());
    EXPECT_LT(primary.Count(), 8);
    EXPECT_FALSE(outcome.Fits[1].Fitted);
    EXPECT_LT(second.Count(), 8);
  }
}

TEST(BuildFitTest, ResidualsAreMappedSourceMinusTargetWithTheirRms) {
  TransformCoefficients shift(kOwnsItems);
  AppendCoefficients(shift, CoefficientArray{1, 0, 2, 0, 0, 0, 1, -1});  // (x + 2, y - 1)
  const VT_Points source = Points({{0, 0}, {1, 1}, {5, 5}});
  const VT_Points target = Points({{-1, -5}, {3, 0}});  // the third source point has no partner
  const auto report = ComputeResiduals(shift, source, target);
  ASSERT_TRUE(report);
  ASSERT_EQ(report->Points.size(), 2u);
  EXPECT_EQ(report->Points[0].X, 3);
  EXPECT_EQ(report->Points[0].Y, 4);
  EXPECT_EQ(report->Points[1].X, 0);
  EXPECT_EQ(report->Points[1].Y, 0);
  EXPECT_EQ(report->Rms, std::sqrt(25.0 / 2));
  EXPECT_EQ(shift.Count(), 8);

  TransformCoefficients incomplete(kOwnsItems);
  incomplete.Add(new VT_Point(1, 0));
  EXPECT_FALSE(ComputeResiduals(incomplete, source, target));
}

}  // namespace
}  // namespace vesk
