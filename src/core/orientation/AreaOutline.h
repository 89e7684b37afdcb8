#pragma once

#include <array>
#include <optional>

#include "files/NumberFormat.h"
#include "files/OrientationRecords.h"
#include "orientation/CameraModel.h"

namespace vesk {

// A position on a photograph in pixels, continuous: (0, 0) is the top-left
// corner of the first pixel, and a rendering job reading the position takes
// pixel (trunc(Column), trunc(Row)).
struct PhotoPosition {
  double Column = 0;
  double Row = 0;
};

// The corners of a rectangle of the scene plane, (xMin, yMin), (xMax, yMin),
// (xMax, yMax), (xMin, yMax), where a photograph shows them: carried through
// the photograph's scene-to-image homography in `convention`, then from its
// image plane to its pixels the way a rendering job reads them (column
// x + CentreX, row CentreY - y k with the camera's correction value k).
//
// Nothing when the corners cannot be shown: a corner on or behind the
// camera's horizon (the plane's image there is not the rectangle's), or any
// fault of the computation (the records a build would refuse).
std::optional<std::array<PhotoPosition, 4>> SceneRectangleOnPhoto(CoordinateConvention convention,
                                                                  const CameraGeometry& camera,
                                                                  const ShootingGeometry& shooting, double xMin,
                                                                  double xMax, double yMin, double yMax,
                                                                  const NumberFormat& format);

}  // namespace vesk
