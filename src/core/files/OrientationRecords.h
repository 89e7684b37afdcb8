#pragma once

#include <string>
#include <vector>

namespace vesk {

// The camera's internal geometry as read from a calibration file.
struct CameraGeometry {
  double CentreX = 0;  // pixel position of the image-plane origin
  double CentreY = 0;
  double FocalLength = 0;                    // pixels; -1 when the file gives none
  std::vector<std::string> CorrectionTable;  // every line of the correction-table file
  double ImageWidth = 0;
  double ImageHeight = 0;
};

// The geometry of one shot as read from a shooting-geometry file: 21 values in
// the order of the file's lines. The six angles are held in radians.
struct ShootingGeometry {
  double ProjectionCentreX = 0;
  double ProjectionCentreY = 0;
  double ProjectionCentreZ = 0;
  double SightingPointX = 0;
  double SightingPointY = 0;
  double SightingDistance = 0;
  double LongitudinalAngle = 0;  // photogrammetric angles
  double TransverseAngle = 0;
  double ImageRotationAngle = 0;
  double VerticalAxisAngle = 0;  // laboratory (stand) angles
  double HorizontalAxisAngle = 0;
  double StandImageRotationAngle = 0;
  double axx = 0, axy = 0, axz = 0;  // rotation matrix, row by row
  double ayx = 0, ayy = 0, ayz = 0;
  double azx = 0, azy = 0, azz = 0;

  static constexpr int kValueCount = 21;
  static constexpr int kFirstAngle = 6;
  static constexpr int kLastAngle = 11;

  // The value of file line index + 1 (index 0 to 20).
  double& operator[](int index);
  double operator[](int index) const;
};

}  // namespace vesk
