#include "orientation/AreaOutline.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/orientation/OrientationTestRecords.h"
#include "orientation/OrientationTransforms.h"

namespace vesk {
namespace {

using test::Camera;
using test::Shot;

constexpr double kDegree = 0.017453292519943295;

constexpr auto kAngles = CoordinateConvention::Photogrammetric;

TEST(AreaOutlineTest, ANadirShotShowsTheRectangleScaledByFOverDAroundTheCentre) {
  // f = 100, D = 10: one scene unit is ten pixels; scene y runs up, rows down.
  const auto corners = SceneRectangleOnPhoto(kAngles, Camera(100), Shot(0, 0, 10), -1, 1, -1, 2, NumberFormat::Dot());
  ASSERT_TRUE(corners.has_value());
  const double expected[4][2] = {{310, 250}, {330, 250}, {330, 220}, {310, 220}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_DOUBLE_EQ((*corners)[i].Column, expected[i][0]) << i;
    EXPECT_DOUBLE_EQ((*corners)[i].Row, expected[i][1]) << i;
  }
  // The correction value stretches the rows about the centre.
  const auto stretched =
      SceneRectangleOnPhoto(kAngles, Camera(100, {"2"}), Shot(0, 0, 10), -1, 1, -1, 2, NumberFormat::Dot());
  ASSERT_TRUE(stretched.has_value());
  EXPECT_DOUBLE_EQ((*stretched)[2].Row, 200);
  EXPECT_DOUBLE_EQ((*stretched)[2].Column, 330);
}

TEST(AreaOutlineTest, TheCornersAreWhereAScenePlaneJobReadsThePhotograph) {
  // Mode 9 maps the scene into image plane 1; the job reads pixel
  // (x + CentreX, CentreY - y k).
  const CameraGeometry camera = Camera(800, {"1.25"});
  const ShootingGeometry shot = Shot(30, -40, 90, 12 * kDegree, -7 * kDegree, 3 * kDegree);
  VT_Points list1(kOwnsItems), list2(kOwnsItems);
  OrientationTransforms(BuildMode::FirstToPlanInterpolated, kAngles, camera, shot, camera, shot, list1, list2);
  const auto c = [&list1](int i) { return list1.Get(i)->X; };

  const auto corners = SceneRectangleOnPhoto(kAngles, camera, shot, -10, 70, -60, 5, NumberFormat::Dot());
  ASSERT_TRUE(corners.has_value());
  const double scene[4][2] = {{-10, -60}, {70, -60}, {70, 5}, {-10, 5}};
  for (int i = 0; i < 4; ++i) {
    const double x = scene[i][0], y = scene[i][1];
    const double d = c(3) * x + c(4) * y + 1;
    const double imageX = (c(0) * x + c(1) * y + c(2)) / d;
    const double imageY = (c(5) * x + c(6) * y + c(7)) / d;
    EXPECT_NEAR((*corners)[i].Column, imageX + 320, 1e-9) << i;
    EXPECT_NEAR((*corners)[i].Row, 240 - imageY * 1.25, 1e-9) << i;
  }
}

TEST(AreaOutlineTest, NothingIsShownForACornerBehindTheCameraOrRecordsABuildRefuses) {
  // Tilted by 30 degrees: the horizon crosses the plane 20 units beside the
  // sighting point.
  const ShootingGeometry tilted = Shot(0, 0, 10, 30 * kDegree);
  const NumberFormat dot = NumberFormat::Dot();
  EXPECT_TRUE(SceneRectangleOnPhoto(kAngles, Camera(100), tilted, -15, 15, -5, 5, dot).has_value());
  EXPECT_FALSE(SceneRectangleOnPhoto(kAngles, Camera(100), tilted, -25, 15, -5, 5, dot).has_value());
  // The sighting distance that puts the projection centre on the plane.
  EXPECT_FALSE(SceneRectangleOnPhoto(kAngles, Camera(100), Shot(0, 0, 0), -1, 1, -1, 1, dot).has_value());
  // A correction table that is no number.
  EXPECT_FALSE(SceneRectangleOnPhoto(kAngles, Camera(100, {"abc"}), Shot(0, 0, 10), -1, 1, -1, 1, dot).has_value());
  EXPECT_FALSE(SceneRectangleOnPhoto(kAngles, Camera(100, {}), Shot(0, 0, 10), -1, 1, -1, 1, dot).has_value());
}

}  // namespace
}  // namespace vesk
