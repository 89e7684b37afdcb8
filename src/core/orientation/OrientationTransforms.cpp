#include "orientation/OrientationTransforms.h"

#include <cmath>

#include "common/VeskError.h"
#include "model/BuildMode.h"
#include "model/BuildModeTraits.h"

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

bool UsesBuildArea(BuildMode mode) {
  const BuildModeTraits* traits = FindTraits(static_cast<int>(mode));
  return traits != nullptr && traits->BuildArea;
}

double BuildStep(const OrientationBuildRequest& request, const CameraGeometry& camera1,
                 const ShootingGeometry& shooting1, const CameraGeometry& camera2, const ShootingGeometry& shooting2) {
  if (!request.AutoStep || FindTraits(static_cast<int>(request.Mode)) == nullptr) return request.AreaStep;
  const BuildModeTraits& traits = TraitsOf(request.Mode);
  // The scene anaglyphs average both photographs; a single photograph's
  // scene walk takes that photograph's pixel size.
  if (traits.Plan.Second) return AutomaticStep(shooting1, camera1, shooting2, camera2);
  if (!traits.BuildArea) return request.AreaStep;
  return traits.Plan.Primary.Target == PointSetCode::FirstPhoto ? PixelSize(shooting1, camera1)
                                                                : PixelSize(shooting2, camera2);
}

}  // namespace

void OrientationTransforms(BuildMode mode, CoordinateConvention convention, const CameraGeometry& camera1,
                           const ShootingGeometry& shooting1, const CameraGeometry& camera2,
                           const ShootingGeometry& shooting2, VT_Points& list1, VT_Points& list2) {
  list1.Clear();
  list2.Clear();
  if (FindTraits(static_cast<int>(mode)) == nullptr) Fail();
  const Matrix3x3 h1 = SceneToImage(convention, camera1, shooting1);
  const Matrix3x3 h2 = SceneToImage(convention, camera2, shooting2);
  const Matrix3x3* scene[] = {nullptr, &h1, &h2};  // by PointSetCode
  // scene -> photo k is H_k, photo k -> scene its inverse, photo a -> photo b
  // passes through the scene.
  const auto map = [&](const PlannedFit& fit) {
    if (fit.Source == PointSetCode::Scene) return *scene[static_cast<int>(fit.Target)];
    if (fit.Target == PointSetCode::Scene) return Inverse3x3(*scene[static_cast<int>(fit.Source)]);
    return Through(*scene[static_cast<int>(fit.Target)], *scene[static_cast<int>(fit.Source)]);
  };
  const FitPlan& plan = TraitsOf(mode).Plan;
  HandOver(map(plan.Primary), list1);
  if (plan.Second) HandOver(map(*plan.Second), list2);
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
