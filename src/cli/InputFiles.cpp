#include "InputFiles.h"

#include "CliContext.h"
#include "CliErrors.h"
#include "common/VeskError.h"
#include "files/CoordinateFile.h"
#include "files/FileCheck.h"
#include "files/InputFile.h"
#include "qt/ImageFiles.h"
#include "qt/StereoFiles.h"
#include "render/RenderMessages.h"

namespace vesk::cli {
namespace {

// A file written under another locale fails on its first number; say so
// when the other decimal separator would have read the whole file.
std::string SeparatorHint(const std::string& path, const NumberFormat& format) {
  const NumberFormat other{format.DecimalSeparator == ',' ? '.' : ','};
  VT_Points points(kOwnsItems);
  if (ReadPointFile(path, points, other) || points.Count() == 0) return "";
  return std::string(" (the file reads with '") + other.DecimalSeparator +
         "' as the decimal separator: add --decimal-separator " + other.DecimalSeparator + ")";
}

}  // namespace

std::string CauseNote(const std::string& cause) {
  return cause.empty() || cause == "does not exist" ? std::string() : " (" + cause + ")";
}

std::string MissingFileText(const std::string& path) {
  const auto problem = InspectInputFile(path);
  return MissingFileMessage(path) + (problem ? CauseNote(problem->Cause) : std::string());
}

VeskError ReadError(const ReadFailure& failure) {
  return VeskError(failure.Location() + ": " + failure.Message.Text + CauseNote(failure.Cause));
}

VeskError PointFileError(const ReadFailure& failure, const NumberFormat& format) {
  return VeskError(failure.Location() + ": " + failure.Message.Text + CauseNote(failure.Cause) +
                   SeparatorHint(failure.File, format));
}

void ReadPointsOrThrow(const std::string& path, VT_Points& points, const NumberFormat& format) {
  if (const auto failure = ReadPointFile(path, points, format)) throw PointFileError(*failure, format);
}

PhotoSize ReadPhotoSizeOrThrow(const std::string& path) {
  if (!FileExists(path)) throw VeskError(MissingFileText(path));
  const std::optional<PictureSize> size = qt::ReadImageSize(path);
  if (!size) throw VeskError(path + ": " + kPhotographUnreadable);
  return PhotoSize{static_cast<double>(size->Width), static_cast<double>(size->Height)};
}

namespace {

// Throws what the command says of a photograph file that did not load
// (`problem` is not None); `unreadable` names what it could not be read as.
[[noreturn]] void ThrowPhotoProblem(const std::string& path, qt::PhotoProblem problem, const std::string& failure,
                                    const char* unreadable) {
  switch (problem) {
    case qt::PhotoProblem::Missing:
      throw VeskError(MissingFileMessage(path));
    case qt::PhotoProblem::NotAFile:
      throw VeskError(MissingFileMessage(path) + " (" + failure + ")");
    case qt::PhotoProblem::TooLarge:
      throw VeskError(path + ": " + kPhotographTooLarge + " (" + failure + ")");
    case qt::PhotoProblem::Cancelled:
      throw Interrupted();
    case qt::PhotoProblem::None:
    case qt::PhotoProblem::NotAnImage:
      break;
  }
  throw VeskError(path + ": " + unreadable + " (" + failure + ")");
}

}  // namespace

qt::SharedPhoto LoadPhotographOrThrow(const std::string& path, const CancelToken& cancel) {
  qt::PhotoLoad load = qt::LoadPhoto(path, cancel);
  if (load.Problem != qt::PhotoProblem::None)
    ThrowPhotoProblem(path, load.Problem, load.Failure, kPhotographUnreadable);
  return std::move(load.Photo);
}

std::pair<qt::SharedPhoto, qt::SharedPhoto> LoadStereoPhotographOrThrow(const std::string& path,
                                                                        const CancelToken& cancel) {
  qt::StereoPhotoLoad load = qt::LoadStereoPhoto(path, cancel);
  if (load.Problem != qt::PhotoProblem::None)
    ThrowPhotoProblem(path, load.Problem, load.Failure, qt::kStereoPhotoUnreadable);
  return {std::move(load.Left), std::move(load.Right)};
}

}  // namespace vesk::cli
