#include "commands/FileCheckers.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "CliContext.h"
#include "InputFiles.h"
#include "common/VeskError.h"
#include "files/CoordinateFile.h"
#include "files/FileCheck.h"
#include "files/IniFile.h"
#include "files/OrientationFiles.h"
#include "files/ProjectFile.h"
#include "orientation/OrientationTransforms.h"
#include "qt/ImageFiles.h"
#include "render/RenderMessages.h"

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
  VT_Points points(kOwnsItems);
  const std::optional<ReadFailure> failure = ReadPointFile(path, points, format);
  result.Valid = !failure;
  if (result.Valid) {
    result.Count = points.Count();
    result.Summary = std::to_string(points.Count()) + (points.Count() == 1 ? " point" : " points");
  } else {
    // The reader's message speaks of the scene whichever file it read: say
    // what was read and what is wrong with the line.
    result.Error =
        failure->Message.Text +
        (failure->Line > 0 ? " (coordinate file" + (failure->Reason.empty() ? "" : ": " + failure->Reason) + ")"
                           : std::string()) +
        CauseNote(failure->Cause);
    result.Line = failure->Line;
  }
  return result;
}

FileCheckResult Failed(FileCheckResult result, const std::string& message, int line) {
  result.Valid = false;
  result.Error = message;
  result.Line = line;
  return result;
}

FileCheckResult Failed(FileCheckResult result, const ReadFailure& failure) {
  return Failed(std::move(result), failure.Message.Text + CauseNote(failure.Cause), failure.Line);
}

std::string Lines(std::size_t count) { return std::to_string(count) + (count == 1 ? " line" : " lines"); }

FileCheckResult CheckCameraFile(const std::string& path, const NumberFormat& format) {
  FileCheckResult result;
  result.Kind = "calibration";
  CameraGeometry camera;
  if (const auto failure = ReadCameraFile(path, camera, format)) return Failed(result, *failure);
  result.Valid = true;
  const std::string focal =
      camera.FocalLength == -1 ? std::string("none (-1)") : FormatNumber(camera.FocalLength, NumberFormat::Dot());
  result.Summary = "centre " + FormatNumber(camera.CentreX, NumberFormat::Dot()) + " " +
                   FormatNumber(camera.CentreY, NumberFormat::Dot()) + ", focal length " + focal + ", image " +
                   FormatNumber(camera.ImageWidth, NumberFormat::Dot()) + " x " +
                   FormatNumber(camera.ImageHeight, NumberFormat::Dot()) + ", correction table of " +
                   Lines(camera.CorrectionTable.size());
  // The reader accepts any table; a build then needs a non-zero number on its first line.
  try {
    result.Summary += ", correction value " + FormatNumber(CorrectionValue(camera, format), NumberFormat::Dot());
  } catch (const VeskError&) {
    result.Summary += ", no correction value (the table's first line is not a non-zero number)";
  }
  return result;
}

FileCheckResult CheckShootingGeometryFile(const std::string& path, const NumberFormat& format) {
  FileCheckResult result;
  result.Kind = "shooting geometry";
  ShootingGeometry geometry;
  if (const auto failure = ReadShootingGeometryFile(path, geometry, format)) return Failed(result, *failure);
  result.Valid = true;
  const NumberFormat dot = NumberFormat::Dot();
  result.Summary = "sighting point " + FormatNumber(geometry.SightingPointX, dot) + " " +
                   FormatNumber(geometry.SightingPointY, dot) + ", distance " +
                   FormatNumber(geometry.SightingDistance, dot);
  return result;
}

// A project is valid when it can be read and every path it names exists,
// relative paths taken from the project's folder.
FileCheckResult CheckProjectFile(const std::string& path) {
  FileCheckResult result;
  result.Kind = "project";
  if (!FileExists(path)) return Failed(result, MissingFileText(path), 0);
  ProjectFields stored;
  IniFile ini;  // for the line of each key
  if (ReadProject(path, stored) || !IniFile::Load(path, ini)) return Failed(result, kProjectReadError, 0);
  const ProjectFields resolved = ResolveProjectPaths(stored, path);
  int named = 0;
  for (const ProjectKey& key : kProjectKeys) {
    const std::string& target = resolved.*key.Field;
    if (target.empty()) continue;
    ++named;
    if (!FileExists(target)) return Failed(result, MissingFileText(target), ini.LineOf(key.Section, key.Key));
  }
  // Garbage, an empty file or one in UTF-16 reads as a project without keys:
  // that is no input set, not a complete one.
  if (named == 0) return Failed(result, std::string(kProjectReadError) + " (the file names no paths)", 0);
  result.Valid = true;
  result.Count = named;
  result.Summary = std::to_string(named) + (named == 1 ? " path" : " paths") + ", every file present";
  return result;
}

bool IsPhotograph(const std::string& extension) {
  for (const char* known : {".bmp", ".png", ".jpg", ".jpeg", ".tif", ".tiff"})
    if (extension == known) return true;
  return false;
}

// Decoded whole, as a build would, so that a file whose pixels end early is
// found too.
FileCheckResult CheckPhotograph(const std::string& path) {
  FileCheckResult result;
  result.Kind = "photograph";
  const qt::PhotoLoad load = qt::LoadPhoto(path);
  if (!load.Photo) {
    if (load.Problem == qt::PhotoProblem::Missing) return Failed(result, MissingFileText(path), 0);
    const char* what = load.Problem == qt::PhotoProblem::TooLarge ? kPhotographTooLarge : kPhotographUnreadable;
    return Failed(result, std::string(what) + " (photograph: " + load.Failure + ")", 0);
  }
  result.Valid = true;
  result.Summary =
      "photograph of " + std::to_string(load.Photo->Width()) + " x " + std::to_string(load.Photo->Height()) + " pixels";
  return result;
}

}  // namespace

FileCheckResult CheckDataFile(const std::string& path, const NumberFormat& format) {
  const std::string extension = LowerExtension(path);
  if (extension == ".cam") return CheckCameraFile(path, format);
  if (extension == ".ort") return CheckShootingGeometryFile(path, format);
  if (extension == ".prt") return CheckProjectFile(path);
  if (IsPhotograph(extension)) return CheckPhotograph(path);
  return CheckCoordinateFile(path, format);
}

}  // namespace vesk::cli
