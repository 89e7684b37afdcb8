#include "commands/FileCheckers.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "CliContext.h"
#include "files/CoordinateFile.h"

namespace vesk::cli {
namespace {

std::string LowerExtension(const std::string& path) {
  std::string extension = std::filesystem::path(path).extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension;
}

FileCheckResult CheckCoordinateFile(const std::string& path, const NumberFormat& format) {
  FileCheckResult result;
  result.Kind = "coordinates";
  CliDialogs dialogs;
  VT_Points points(kOwnsItems);
  ReadFailure failure;
  result.Valid = ReadPointFile(path, points, format, dialogs, &failure);
  if (result.Valid) {
    result.Count = points.Count();
    result.Summary = std::to_string(points.Count()) + (points.Count() == 1 ? " point" : " points");
  } else {
    result.Error = failure.Message;
    result.Line = failure.Line;
  }
  return result;
}

}  // namespace

FileCheckResult CheckDataFile(const std::string& path, const NumberFormat& format) {
  const std::string extension = LowerExtension(path);
  (void)extension;  // further formats are told apart by their extension
  return CheckCoordinateFile(path, format);
}

}  // namespace vesk::cli
