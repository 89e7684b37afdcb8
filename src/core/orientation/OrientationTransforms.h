#pragma once

#include <optional>

#include "common/UserMessage.h"
#include "files/NumberFormat.h"
#include "files/OrientationRecords.h"
#include "model/BuildMode.h"
#include "model/VT_Points.h"
#include "orientation/CameraModel.h"
#include "orientation/OrientationInputs.h"

namespace vesk {

// Fills the coefficient lists a rendering job of `mode` reads, each
// as eight points whose X hold a0, a1, a2, c0, c1, b0, b1, b2:
//   0, 2, 7  list 1 = image plane 2 to image plane 1
//   1, 3, 8  list 1 = image plane 1 to image plane 2
//   4        list 1 = image plane 1 to scene plane
//   5        list 1 = image plane 2 to scene plane
//   6        list 1 = image plane 1 to scene plane, list 2 = scene plane to image plane 2
//   9        list 1 = scene plane to image plane 1
//   10       list 1 = scene plane to image plane 2
//   11       list 1 = scene plane to image plane 1, list 2 = scene plane to image plane 2
// Both lists are emptied first; list 2 stays empty where the mode needs one
// transformation. Raises VeskError (kOrientationFailureMessage) on any
// arithmetic fault; the lists may then hold a partial result.
void OrientationTransforms(BuildMode mode, CoordinateConvention convention, const CameraGeometry& camera1,
                           const ShootingGeometry& shooting1, const CameraGeometry& camera2,
                           const ShootingGeometry& shooting2, VT_Points& list1, VT_Points& list2);

// The scene size of one output pixel for the scene-based anaglyph: the mean of
// D / f over both photographs. Raises VeskError on a zero focal length or a
// result that is not finite.
double AutomaticStep(const ShootingGeometry& shooting1, const CameraGeometry& camera1,
                     const ShootingGeometry& shooting2, const CameraGeometry& camera2);

// The number on the first line of the camera's correction table. Raises
// VeskError when the table is empty, the line is no number, or the number is
// zero (image-plane y is divided by it).
double CorrectionValue(const CameraGeometry& camera, const NumberFormat& format);

// What an orientation build asks for besides the records.
struct OrientationBuildRequest {
  BuildMode Mode = BuildMode::SecondToFirst;
  CoordinateConvention Convention = CoordinateConvention::Mathematical;
  bool AutoStep = false;  // automatic scaling chosen in the build-area dialog
  double AreaStep = 0;    // the step the dialog wrote
};

// Everything a rendering job of an orientation build receives besides the
// photographs and the build area's bounds.
struct OrientationBuildResult {
  VT_Points List1{kOwnsItems};
  VT_Points List2{kOwnsItems};
  double CentreX1 = 0, CentreY1 = 0, CorrectionValue1 = 1;
  double CentreX2 = 0, CentreY2 = 0, CorrectionValue2 = 1;
  // The step the job walks the scene with (modes 9, 10 and 11): a finite
  // positive number. Automatic scaling gives the mean D / f of both
  // photographs in modes 6 and 11 and the one photograph's D / f in modes 9
  // and 10; otherwise the request's step.
  double AreaStep = 0;
};

// Does the whole computation of an orientation build for records already
// read: the transformations of the mode, the step and each photograph's
// image-plane parameters. Nothing on success; on any failure the message
// "Внутренняя ошибка! Проверьте входные данные." (caption "Отказ", warning
// icon), and `result` may then hold a partial result.
std::optional<UserMessage> ComputeOrientationBuild(const OrientationBuildRequest& request,
                                                   const CameraGeometry& camera1, const ShootingGeometry& shooting1,
                                                   const CameraGeometry& camera2, const ShootingGeometry& shooting2,
                                                   const NumberFormat& format, OrientationBuildResult& result);
std::optional<UserMessage> ComputeOrientationBuild(const OrientationBuildRequest& request,
                                                   const OrientationInputs& inputs, const NumberFormat& format,
                                                   OrientationBuildResult& result);

}  // namespace vesk
