#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "common/VeskError.h"
#include "core/orientation/OrientationTestRecords.h"
#include "orientation/OrientationTransforms.h"
#include "support/RecordingDialogs.h"

namespace vesk {
namespace {

using test::Camera;
using test::Shot;

using Coefficients = std::vector<double>;

Coefficients Contents(const VT_Points& list) {
  Coefficients values;
  for (int i = 0; i < list.Count(); ++i) {
    values.push_back(list.Get(i)->X);
    EXPECT_EQ(list.Get(i)->Y, 0);
  }
  return values;
}

// (x', y') for eight coefficients a0, a1, a2, c0, c1, b0, b1, b2.
std::pair<double, double> Apply(const Coefficients& t, double x, double y) {
  const double d = t[3] * x + t[4] * y + 1;
  return {(t[0] * x + t[1] * y + t[2]) / d, (t[5] * x + t[6] * y + t[7]) / d};
}

const CameraGeometry kCamera1 = Camera(1000);
const CameraGeometry kCamera2 = Camera(600);
const ShootingGeometry kShot1 = Shot(10, -20, 50, 0.1, -0.05, 0.02);
const ShootingGeometry kShot2 = Shot(40, -15, 30, -0.12, 0.04, -0.03);
constexpr auto kAngles = CoordinateConvention::Photogrammetric;

struct Lists {
  Coefficients First, Second;
};

Lists Transforms(int mode, const CameraGeometry& c1 = kCamera1, const ShootingGeometry& s1 = kShot1,
                 const CameraGeometry& c2 = kCamera2, const ShootingGeometry& s2 = kShot2) {
  VT_Points list1(kOwnsItems), list2(kOwnsItems);
  list1.Add(new VT_Point(7, 7));  // emptied first
  list2.Add(new VT_Point(7, 7));
  OrientationTransforms(static_cast<BuildMode>(mode), kAngles, c1, s1, c2, s2, list1, list2);
  return {Contents(list1), Contents(list2)};
}

TEST(OrientationTransformsTest, EveryModeChainsTheTwoHomographies) {
  const Coefficients h1 = Transforms(9).First;
  const Coefficients h2 = Transforms(10).First;
  ASSERT_EQ(h1.size(), 8u);
  const double sceneX = 25, sceneY = -5;
  const auto [x1, y1] = Apply(h1, sceneX, sceneY);
  const auto [x2, y2] = Apply(h2, sceneX, sceneY);

  struct Case {
    int mode;
    double fromX, fromY, toX, toY;
  };
  const Case cases[] = {
      {0, x2, y2, x1, y1},          {2, x2, y2, x1, y1},         {7, x2, y2, x1, y1},
      {1, x1, y1, x2, y2},          {3, x1, y1, x2, y2},         {8, x1, y1, x2, y2},
      {4, x1, y1, sceneX, sceneY},  {5, x2, y2, sceneX, sceneY}, {6, x1, y1, sceneX, sceneY},
      {11, sceneX, sceneY, x1, y1},
  };
  for (const Case& c : cases) {
    const Lists lists = Transforms(c.mode);
    ASSERT_EQ(lists.First.size(), 8u) << c.mode;
    const auto [x, y] = Apply(lists.First, c.fromX, c.fromY);
    EXPECT_NEAR(x, c.toX, 1e-9) << c.mode;
    EXPECT_NEAR(y, c.toY, 1e-9) << c.mode;
    EXPECT_EQ(lists.Second, (c.mode == 6 || c.mode == 11) ? h2 : Coefficients{}) << c.mode;
  }
  EXPECT_EQ(Transforms(0).First, Transforms(2).First);
  EXPECT_EQ(Transforms(0).First, Transforms(7).First);
  EXPECT_EQ(Transforms(1).First, Transforms(3).First);
  EXPECT_EQ(Transforms(1).First, Transforms(8).First);
  EXPECT_TRUE(Transforms(9).Second.empty());
}

TEST(OrientationTransformsTest, IdenticalPhotographsGiveTheIdentity) {
  const Coefficients identity = {1, 0, 0, 0, 0, 0, 1, 0};
  for (const int mode : {0, 1}) {
    const Coefficients t = Transforms(mode, kCamera1, kShot1, kCamera1, kShot1).First;
    ASSERT_EQ(t.size(), 8u);
    for (std::size_t i = 0; i < 8; ++i) EXPECT_NEAR(t[i], identity[i], 1e-12) << mode << " " << i;
  }
}

TEST(OrientationTransformsTest, FailuresRaiseTheSystemsMessage) {
  ShootingGeometry flat = kShot1;  // p34 = -(r13 Xs + r23 Ys) - D = 0
  flat.LongitudinalAngle = flat.TransverseAngle = flat.ImageRotationAngle = 0;
  flat.SightingDistance = 0;
  const CameraGeometry blind = Camera(0);  // H has no inverse
  const std::vector<std::function<void()>> failures = {
      [&] { Transforms(9, kCamera1, flat); },
      [&] { Transforms(4, blind, kShot1); },
      [&] { Transforms(0, kCamera1, kShot1, blind, kShot2); },
      [&] { Transforms(12); },
      [&] { Transforms(-1); },
  };
  for (std::size_t i = 0; i < failures.size(); ++i) {
    try {
      failures[i]();
      ADD_FAILURE() << "case " << i << " did not fail";
    } catch (const VeskError& error) {
      EXPECT_STREQ(error.what(), "Внутренняя ошибка! Проверьте входные данные.") << i;
    }
  }
}

TEST(AutomaticStepTest, MeanPixelSizeAtTheSightingDistance) {
  EXPECT_DOUBLE_EQ(AutomaticStep(Shot(0, 0, 50, 0, 0, 0), Camera(1000), Shot(0, 0, 30, 0, 0, 0), Camera(600)), 0.05);
  EXPECT_THROW(AutomaticStep(kShot1, Camera(0), kShot2, kCamera2), VeskError);
  EXPECT_THROW(AutomaticStep(Shot(0, 0, 1e308, 0, 0, 0), Camera(1e-10), kShot2, kCamera2), VeskError);
}

TEST(CorrectionValueTest, FirstLineWholeOrFailure) {
  const NumberFormat comma = NumberFormat::Comma();
  EXPECT_EQ(CorrectionValue(Camera(1, {"1,5", "junk"}), comma), 1.5);
  EXPECT_EQ(CorrectionValue(Camera(1, {" 2 "}), comma), 2);
  for (const std::vector<std::string>& table :
       std::vector<std::vector<std::string>>{{}, {"1.5"}, {"1,5 ; k"}, {""}, {"0"}})
    EXPECT_THROW(CorrectionValue(Camera(1, table), comma), VeskError) << (table.empty() ? "(none)" : table[0]);
}

struct BuildCase {
  const char* name;
  int mode;
  bool autoStep;
  double areaStep;
  CameraGeometry camera1;
  bool ok;
  double step;  // expected when it succeeds
};

class OrientationBuildTest : public ::testing::TestWithParam<BuildCase> {};

TEST_P(OrientationBuildTest, StepAndFailureOutcome) {
  const BuildCase& c = GetParam();
  OrientationBuildRequest request;
  request.Mode = static_cast<BuildMode>(c.mode);
  request.Convention = kAngles;
  request.AutoStep = c.autoStep;
  request.AreaStep = c.areaStep;
  OrientationBuildResult result;
  test::RecordingDialogs dialogs;
  CameraGeometry camera2 = kCamera2;
  camera2.CentreX = 300;
  camera2.CentreY = 200;
  camera2.CorrectionTable = {"0.5"};
  const std::optional<UserMessage> failure =
      ComputeOrientationBuild(request, c.camera1, kShot1, camera2, kShot2, NumberFormat::Dot(), result);
  if (failure) failure->ShowTo(dialogs);
  EXPECT_EQ(!failure, c.ok);
  if (c.ok) {
    EXPECT_TRUE(dialogs.Entries.empty());
    EXPECT_DOUBLE_EQ(result.AreaStep, c.step);
    EXPECT_EQ(result.List1.Count(), 8);
    EXPECT_EQ(result.CorrectionValue1, 1);
    EXPECT_EQ(result.CorrectionValue2, 0.5);
    EXPECT_EQ(result.CentreX1, 320);
    EXPECT_EQ(result.CentreY1, 240);
    EXPECT_EQ(result.CentreX2, 300);
    EXPECT_EQ(result.CentreY2, 200);
  } else {
    ASSERT_EQ(dialogs.Entries.size(), 1u);
    EXPECT_EQ(dialogs.Entries[0].Icon, MessageIcon::Warning);
    EXPECT_EQ(dialogs.Entries[0].Caption, "Отказ");
    EXPECT_EQ(dialogs.Entries[0].Text, "Внутренняя ошибка! Проверьте входные данные.");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OrientationBuildTest,
    ::testing::Values(BuildCase{"SceneAnaglyphAutomatic", 11, true, 7, kCamera1, true, (0.05 + 0.05) * 0.5},
                      BuildCase{"SceneAnaglyphGivenStep", 11, false, 7, kCamera1, true, 7},
                      BuildCase{"ImageGridModeIgnoresTheStep", 6, false, 0, kCamera1, true, 0},
                      BuildCase{"FirstToPlanAutomatic", 9, true, 0, kCamera1, true, 0.05},
                      BuildCase{"SecondToPlanAutomatic", 10, true, 0, kCamera1, true, 0.05},
                      BuildCase{"NoStepForTheScene", 9, false, 0, kCamera1, false, 0},
                      BuildCase{"NegativeStep", 10, false, -1, kCamera1, false, 0},
                      BuildCase{"InfiniteStep", 11, false, INFINITY, kCamera1, false, 0},
                      BuildCase{"NoFocalLengthGivesANegativeStep", 11, true, 1, Camera(-1), false, 0},
                      BuildCase{"CorrectionTableWithoutLines", 0, false, 0, Camera(1000, {}), false, 0},
                      BuildCase{"CorrectionValueNotANumber", 0, false, 0, Camera(1000, {"x"}), false, 0}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vesk
