#include "orientation/AreaOutline.h"

#include <cmath>

#include "common/VeskError.h"
#include "orientation/OrientationTransforms.h"

namespace vesk {

std::optional<std::array<PhotoPosition, 4>> SceneRectangleOnPhoto(CoordinateConvention convention,
                                                                  const CameraGeometry& camera,
                                                                  const ShootingGeometry& shooting, double xMin,
                                                                  double xMax, double yMin, double yMax,
                                                                  const NumberFormat& format) {
  Matrix3x3 h;
  double k = 1;
  try {
    h = SceneToImage(convention, camera, shooting);
    k = CorrectionValue(camera, format);
  } catch (const VeskError&) {
    return std::nullopt;
  }
  // The denominator keeps one sign over the half of the plane in front of the
  // camera; the sighting point lies in it.
  const auto denominator = [&h](double x, double y) { return h[6] * x + h[7] * y + 1; };
  const double front = denominator(shooting.SightingPointX, shooting.SightingPointY);
  if (!std::isfinite(front) || front == 0) return std::nullopt;

  const std::array<std::array<double, 2>, 4> corners = {{{xMin, yMin}, {xMax, yMin}, {xMax, yMax}, {xMin, yMax}}};
  std::array<PhotoPosition, 4> positions;
  for (std::size_t i = 0; i < corners.size(); ++i) {
    const double sx = corners[i][0];
    const double sy = corners[i][1];
    const double d = denominator(sx, sy);
    if (!(d * front > 0)) return std::nullopt;
    const double x = (h[0] * sx + h[1] * sy + h[2]) / d;
    const double y = (h[3] * sx + h[4] * sy + h[5]) / d;
    positions[i] = PhotoPosition{x + camera.CentreX, camera.CentreY - y * k};
    if (!std::isfinite(positions[i].Column) || !std::isfinite(positions[i].Row)) return std::nullopt;
  }
  return positions;
}

}  // namespace vesk
