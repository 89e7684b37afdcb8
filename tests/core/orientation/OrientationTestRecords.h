#pragma once

#include <string>
#include <utility>
#include <vector>

#include "files/OrientationRecords.h"

namespace vesk::test {

// A camera with its image centre at (320, 240) and a correction table.
inline CameraGeometry Camera(double focalLength, std::vector<std::string> table = {"1"}) {
  CameraGeometry camera;
  camera.CentreX = 320;
  camera.CentreY = 240;
  camera.FocalLength = focalLength;
  camera.CorrectionTable = std::move(table);
  return camera;
}

// A photogrammetric shot: sighting point, distance, the three angles (radians).
inline ShootingGeometry Shot(double xs, double ys, double distance, double a = 0, double b = 0, double c = 0) {
  ShootingGeometry s;
  s.SightingPointX = xs;
  s.SightingPointY = ys;
  s.SightingDistance = distance;
  s.LongitudinalAngle = a;
  s.TransverseAngle = b;
  s.ImageRotationAngle = c;
  return s;
}

}  // namespace vesk::test
