#include "InputFiles.h"

#include "CliContext.h"
#include "ImageFiles.h"
#include "common/VeskError.h"
#include "files/CoordinateFile.h"
#include "files/FileCheck.h"
#include "render/RenderMessages.h"

namespace vesk::cli {

void ReadPointsOrThrow(const std::string& path, VT_Points& points, const NumberFormat& format) {
  CliDialogs dialogs;
  ReadFailure failure;
  if (ReadPointFile(path, points, format, dialogs, &failure)) return;
  std::string where = path;
  if (failure.Line > 0) where += ":" + std::to_string(failure.Line);
  throw VeskError(where + ": " + failure.Message);
}

PhotoSize ReadPhotoSizeOrThrow(const std::string& path) {
  if (!FileExists(path)) throw VeskError(MissingFileMessage(path));
  const std::optional<ImageSize> size = ReadImageSize(path);
  if (!size) throw VeskError(path + ": " + kPhotographUnreadable);
  return PhotoSize{static_cast<double>(size->Width), static_cast<double>(size->Height)};
}

}  // namespace vesk::cli
