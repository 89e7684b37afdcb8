#pragma once

#include <string>

#include <optional>

#include "files/NumberFormat.h"
#include "files/OrientationRecords.h"
#include "files/ReadFailure.h"

namespace vesk {

// The four files of an orientation build.
struct OrientationFilePaths {
  std::string Camera1;       // calibration file of photograph 1
  std::string Orientation1;  // shooting-geometry file of photograph 1
  std::string Camera2;
  std::string Orientation2;
};

// The records read from them.
struct OrientationInputs {
  CameraGeometry Camera1;
  ShootingGeometry Shooting1;
  CameraGeometry Camera2;
  ShootingGeometry Shooting2;
};

// Reads the first calibration file, the second, the first shooting-geometry
// file and the second, in that order, and stops at the first that fails,
// giving its reader's failure. Records read before keep their new values.
std::optional<ReadFailure> ReadOrientationInputs(const OrientationFilePaths& paths, OrientationInputs& inputs,
                                                 const NumberFormat& format);

}  // namespace vesk
