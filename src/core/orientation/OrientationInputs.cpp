#include "orientation/OrientationInputs.h"

#include "files/OrientationFiles.h"

namespace vesk {

std::optional<ReadFailure> ReadOrientationInputs(const OrientationFilePaths& paths, OrientationInputs& inputs,
                                                 const NumberFormat& format) {
  if (auto failure = ReadCameraFile(paths.Camera1, inputs.Camera1, format)) return failure;
  if (auto failure = ReadCameraFile(paths.Camera2, inputs.Camera2, format)) return failure;
  if (auto failure = ReadShootingGeometryFile(paths.Orientation1, inputs.Shooting1, format)) return failure;
  return ReadShootingGeometryFile(paths.Orientation2, inputs.Shooting2, format);
}

}  // namespace vesk
