#include <gtest/gtest.h>

#include <cmath>

#include "common/VeskError.h"
#include "files/OrientationFiles.h"
#include "orientation/CameraModel.h"
#include "support/RecordingDialogs.h"
#include "support/TempDir.h"

namespace vesk {
namespace {

constexpr CoordinateConvention kConventions[] = {
    CoordinateConvention::Mathematical, CoordinateConvention::Photogrammetric, CoordinateConvention::Laboratory};

Matrix3x3 Rx(double t) { return {1, 0, 0, 0, std::cos(t), -std::sin(t), 0, std::sin(t), std::cos(t)}; }
Matrix3x3 Ry(double t) { return {std::cos(t), 0, std::sin(t), 0, 1, 0, -std::sin(t), 0, std::cos(t)}; }
Matrix3x3 Rz(double t) { return {std::cos(t), -std::sin(t), 0, std::sin(t), std::cos(t), 0, 0, 0, 1}; }

void ExpectNear(const Matrix3x3& a, const Matrix3x3& b, double tolerance) {
  for (std::size_t i = 0; i < 9; ++i) EXPECT_NEAR(a[i], b[i], tolerance) << "element " << i;
}

// (x, y) = H (X, Y) as the rendering worker evaluates it.
std::pair<double, double> Map(const Matrix3x3& h, double x, double y) {
  const double d = h[6] * x + h[7] * y + h[8];
  return {(h[0] * x + h[1] * y + h[2]) / d, (h[3] * x + h[4] * y + h[5]) / d};
}

// A shot with three different rotations in its three conventions.
ShootingGeometry SkewShot() {
  ShootingGeometry s;
  s.SightingPointX = 92.5;
  s.SightingPointY = -127.6;
  s.SightingDistance = 473;
  s.LongitudinalAngle = 0.3;
  s.TransverseAngle = -0.2;
  s.ImageRotationAngle = 0.1;
  s.VerticalAxisAngle = -0.25;
  s.HorizontalAxisAngle = 0.15;
  s.StandImageRotationAngle = 0.05;
  const Matrix3x3 r = Multiply3x3(Rz(0.4), Rx(0.3));
  s.axx = r[0], s.axy = r[1], s.axz = r[2], s.ayx = r[3], s.ayy = r[4], s.ayz = r[5];
  s.azx = r[6], s.azy = r[7], s.azz = r[8];
  return s;
}

TEST(RotationMatrixTest, AnglesGiveTheProductsOfTheElementaryRotations) {
  const ShootingGeometry s = SkewShot();
  ExpectNear(RotationMatrix(CoordinateConvention::Photogrammetric, s),
             Multiply3x3(Multiply3x3(Ry(-0.3), Rx(-0.2)), Rz(0.1)), 1e-15);
  ExpectNear(RotationMatrix(CoordinateConvention::Laboratory, s),
             Multiply3x3(Multiply3x3(Rx(-0.15), Ry(0.25)), Rz(-0.05)), 1e-15);
  const Matrix3x3 file = {s.axx, s.axy, s.axz, s.ayx, s.ayy, s.ayz, s.azx, s.azy, s.azz};
  EXPECT_EQ(RotationMatrix(CoordinateConvention::Mathematical, s), file);
  EXPECT_EQ(RotationMatrix(CoordinateConvention::Photogrammetric, ShootingGeometry{}),
            (Matrix3x3{1, 0, 0, 0, 1, 0, 0, 0, 1}));
}

TEST(SceneToImageTest, SightingPointMapsToTheOriginInEveryConvention) {
  CameraGeometry camera;
  camera.FocalLength = 532.9;
  const ShootingGeometry s = SkewShot();
  for (const auto convention : kConventions) {
    const Matrix3x3 h = SceneToImage(convention, camera, s);
    EXPECT_EQ(h[8], 1);
    const auto [x, y] = Map(h, s.SightingPointX, s.SightingPointY);
    EXPECT_NEAR(x, 0, 1e-12) << static_cast<int>(convention);
    EXPECT_NEAR(y, 0, 1e-12) << static_cast<int>(convention);
  }
}

TEST(SceneToImageTest, UnrotatedCameraScalesByFocalLengthOverDistance) {
  CameraGeometry camera;
  camera.FocalLength = 100;
  ShootingGeometry s;
  s.SightingDistance = 10;
  s.axx = s.ayy = s.azz = 1;  // the identity in the mathematical convention
  for (const auto convention : kConventions) {
    const auto [x, y] = Map(SceneToImage(convention, camera, s), 1, 2);
    EXPECT_EQ(x, 10) << static_cast<int>(convention);
    EXPECT_EQ(y, 20) << static_cast<int>(convention);
  }
  camera.FocalLength = -1;  // no focal length in the file: the axes flip, nothing fails
  const auto [x, y] = Map(SceneToImage(CoordinateConvention::Laboratory, camera, s), 1, 2);
  EXPECT_EQ(x, -0.1);
  EXPECT_EQ(y, -0.2);
}

TEST(SceneToImageTest, ThreeConventionsAgreeOnTheShippedShot) {
  test::RecordingDialogs dialogs;
  CameraGeometry camera;
  ShootingGeometry shot;
  const auto dir = test::ExamplesDir() / "chessboard";
  ASSERT_TRUE(test::Shown(ReadCameraFile((dir / "left01.cam").string(), camera, NumberFormat::Dot()), dialogs));
  ASSERT_TRUE(test::Shown(ReadShootingGeometryFile((dir / "left01.ort").string(), shot, NumberFormat::Dot()), dialogs));
  const Matrix3x3 reference = SceneToImage(CoordinateConvention::Mathematical, camera, shot);
  for (const auto convention : {CoordinateConvention::Photogrammetric, CoordinateConvention::Laboratory}) {
    const Matrix3x3 h = SceneToImage(convention, camera, shot);
    for (std::size_t i = 0; i < 9; ++i)
      EXPECT_NEAR(h[i], reference[i], 1e-9 * std::abs(reference[i])) << static_cast<int>(convention) << " " << i;
  }
}

TEST(SceneToImageTest, ZeroP34Fails) {
  CameraGeometry camera;
  camera.FocalLength = 100;
  ShootingGeometry s;
  s.axx = s.ayy = 1;
  s.axz = 0.6, s.ayz = 0.8;
  s.SightingPointX = 3;
  s.SightingPointY = 4;
  s.SightingDistance = -(0.6 * 3 + 0.8 * 4);
  EXPECT_THROW(SceneToImage(CoordinateConvention::Mathematical, camera, s), VeskError);
  s.SightingDistance = std::nan("");
  EXPECT_THROW(SceneToImage(CoordinateConvention::Mathematical, camera, s), VeskError);
}

TEST(MatrixTest, InverseMultiplyNormaliseAndHandOver) {
  const Matrix3x3 m = {2, 1, 0, 0, 3, 1, 1, 0, 4};
  ExpectNear(Multiply3x3(m, Inverse3x3(m)), {1, 0, 0, 0, 1, 0, 0, 0, 1}, 1e-15);
  EXPECT_EQ(Multiply3x3({1, 2, 3, 4, 5, 6, 7, 8, 9}, {1, 0, 0, 0, 1, 0, 0, 0, 1}),
            (Matrix3x3{1, 2, 3, 4, 5, 6, 7, 8, 9}));
  EXPECT_EQ(NormaliseByLast({2, 4, 6, 8, 10, 12, 14, 16, 2}), (Matrix3x3{1, 2, 3, 4, 5, 6, 7, 8, 1}));
  EXPECT_EQ(HandOverCoefficients({1, 2, 3, 4, 5, 6, 7, 8, 2}), (std::array<double, 8>{0.5, 1, 1.5, 3.5, 4, 2, 2.5, 3}));

  EXPECT_THROW(Inverse3x3({1, 2, 3, 2, 4, 6, 0, 0, 1}), VeskError);              // singular
  EXPECT_THROW(Inverse3x3({1e300, 0, 0, 0, 1e300, 0, 0, 0, 1e300}), VeskError);  // determinant overflows
  EXPECT_THROW(NormaliseByLast({1, 0, 0, 0, 1, 0, 0, 0, 0}), VeskError);
  EXPECT_THROW(HandOverCoefficients({1, 0, 0, 0, 1, 0, 0, 0, 0}), VeskError);
}

}  // namespace
}  // namespace vesk
