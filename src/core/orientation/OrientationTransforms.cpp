#include "orientation/OrientationTransforms.h"

#include <cmath>

#include "common/VeskError.h"
#include "model/BuildMode.h"

namespace vesk {
namespace {

[[noreturn]] void Fail() { throw VeskError(kOrientationFailureMessage); }

void HandOver(const Matrix3x3& m, VT_Points& list) {
  for (const double coefficient : HandOverCoefficients(m)) list.Add(new VT_Point(coefficient, 0));
}

// A times the normalised inverse of B: from the image plane of B to that of A.
Matrix3x3 Through(const Matrix3x3& a, const Matrix3x3& b) { return Multiply3x3(a, NormaliseByLast(Inverse3x3(b))); }

double PixelSize(const ShootingGeometry& shooting, const CameraGeometry& camera) {
  if (camera.FocalLength == 0) Fail();
  return shooting.SightingDistance / camera.FocalLength;
}

bool IsUsableStep(double step) { return std::isfinite(step) && step > 0; }

bool UsesBuildArea(int mode) { return mode == 9 || mode == 10 || mode == 11; }

double BuildStep(const OrientationBuildRequest& request, const CameraGeometry& camera1,
                 const ShootingGeometry& shooting1, const CameraGeometry& camera2, const ShootingGeometry& shooting2) {
  if (!request.AutoStep) return request.AreaStep;
  switch (request.Mode) {
    case 6:
    case 11:
      return AutomaticStep(shooting1, camera1, shooting2, camera2);
    case 9:
      return PixelSize(shooting1, camera1);
    case 10:
      return PixelSize(shooting2, camera2);
    default:
      return request.AreaStep;
  }
}

}  // namespace

void OrientationTransforms(int mode, CoordinateConvention convention, const CameraGeometry& camera1,
                           const ShootingGeometry& shooting1, const CameraGeometry& camera2,
                           const ShootingGeometry& shooting2, VT_Points& list1, VT_Points& list2) {
  list1.Clear();
  list2.Clear();
  if (!IsValidBuildMode(mode)) Fail();
  const Matrix3x3 h1 = SceneToImage(convention, camera1, shooting1);
  const Matrix3x3 h2 = SceneToImage(convention, camera2, shooting2);
  switch (mode) {
    case 0:
    case 2:
    case 7:
      HandOver(Through(h1, h2), list1);
      break;
    case 1:
    case 3:
    case 8:
      HandOver(Through(h2, h1), list1);
      break;
    case 4:
      HandOver(Inverse3x3(h1), list1);
      break;
    case 5:
      HandOver(Inverse3x3(h2), list1);
      break;
    case 6:
      HandOver(Inverse3x3(h1), list1);
      HandOver(h2, list2);
      break;
    case 9:
      HandOver(h1, list1);
      break;
    case 10:
      HandOver(h2, list1);
      break;
    case 11:
      HandOver(h1, list1);
      HandOver(h2, list2);
      break;
  }
}

double AutomaticStep(const ShootingGeometry& shooting1, const CameraGeometry& camera1,
                     const ShootingGeometry& shooting2, const CameraGeometry& camera2) {
  const double step = (PixelSize(shooting1, camera1) + PixelSize(shooting2, camera2)) * 0.5;
  if (!std::isfinite(step)) Fail();
  return step;
}

double CorrectionValue(const CameraGeometry& camera, const NumberFormat& format) {
  if (camera.CorrectionTable.empty()) Fail();
  const auto value = TryParseNumber(camera.CorrectionTable.front(), format);
  if (!value || *value == 0) Fail();
  return *value;
}

std::optional<UserMessage> ComputeOrientationBuild(const OrientationBuildRequest& request,
                                                   const CameraGeometry& camera1, const ShootingGeometry& shooting1,
                                                   const CameraGeometry& camera2, const ShootingGeometry& shooting2,
                                                   const NumberFormat& format, OrientationBuildResult& result) {
  try {
    OrientationTransforms(request.Mode, request.Convention, camera1, shooting1, camera2, shooting2, result.List1,
                          result.List2);
    result.AreaStep = BuildStep(request, camera1, shooting1, camera2, shooting2);
    // A scene walk with such a step would never end or never start.
    if (UsesBuildArea(request.Mode) && !IsUsableStep(result.AreaStep)) Fail();
    result.CorrectionValue1 = CorrectionValue(camera1, format);
    result.CorrectionValue2 = CorrectionValue(camera2, format);
    result.CentreX1 = camera1.CentreX;
    result.CentreY1 = camera1.CentreY;
    result.CentreX2 = camera2.CentreX;
    result.CentreY2 = camera2.CentreY;
    return std::nullopt;
  } catch (const VeskError&) {
    return UserMessage{MessageIcon::Warning, kFailureCaption, kOrientationFailureMessage};
  }
}

std::optional<UserMessage> ComputeOrientationBuild(const OrientationBuildRequest& request,
                                                   const OrientationInputs& inputs, const NumberFormat& format,
                                                   OrientationBuildResult& result) {
  return ComputeOrientationBuild(request, inputs.Camera1, inputs.Shooting1, inputs.Camera2, inputs.Shooting2, format,
                                 result);
}

}  // namespace vesk
