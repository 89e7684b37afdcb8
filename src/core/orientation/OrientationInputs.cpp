#include "orientation/OrientationInputs.h"

#include "files/OrientationFiles.h"

namespace vesk {

bool ReadOrientationInputs(const OrientationFilePaths& paths, OrientationInputs& inputs, const NumberFormat& format,
                           UserDialogs& dialogs, ReadFailure* failure, std::string* failedPath) {
  const auto failed = [failedPath](const std::string& path) {
    if (failedPath) *failedPath = path;
    return false;
  };
  if (!ReadCameraFile(paths.Camera1, inputs.Camera1, format, dialogs, failure)) return failed(paths.Camera1);
  if (!ReadCameraFile(paths.Camera2, inputs.Camera2, format, dialogs, failure)) return failed(paths.Camera2);
  if (!ReadShootingGeometryFile(paths.Orientation1, inputs.Shooting1, format, dialogs, failure))
    return failed(paths.Orientation1);
  if (!ReadShootingGeometryFile(paths.Orientation2, inputs.Shooting2, format, dialogs, failure))
    return failed(paths.Orientation2);
  return true;
}

}  // namespace vesk
