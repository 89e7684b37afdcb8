#pragma once

#include <string>
#include <utility>

#include "common/VeskError.h"
#include "estimation/BuildFit.h"
#include "files/NumberFormat.h"
#include "files/ReadFailure.h"
#include "model/VT_Points.h"
#include "progress/ProgressSink.h"
#include "qt/ImageFiles.h"

namespace vesk::cli {

// " (cause)" for a file the system refused ("is a folder", "Permission
// denied"), nothing for one that is simply missing or whose contents are at
// fault: the window says only "not found", the command line says why.
std::string CauseNote(const std::string& cause);

// "Файл <path> не найден!", with the cause when something else stands there.
std::string MissingFileText(const std::string& path);

// A reader's failure as vesk-cli reports it: "path:line: message (cause)".
VeskError ReadError(const ReadFailure& failure);

// The same for a coordinate file, with a hint when the file reads with the
// other decimal separator.
VeskError PointFileError(const ReadFailure& failure, const NumberFormat& format);

// Reads a coordinate file; a failure raises PointFileError.
void ReadPointsOrThrow(const std::string& path, VT_Points& points, const NumberFormat& format);

// A photograph's size from its file (only the header is read); a missing or
// unreadable file raises VeskError naming it.
PhotoSize ReadPhotoSizeOrThrow(const std::string& path);

// Loads a photograph for a command; a missing, unreadable or oversized file
// raises VeskError naming it, a stop raises Interrupted.
qt::SharedPhoto LoadPhotographOrThrow(const std::string& path, const CancelToken& cancel);
// The two views of an MPO file (--stereo-photo) as photographs 1 and 2, or
// the error that says why not, as LoadPhotographOrThrow does.
std::pair<qt::SharedPhoto, qt::SharedPhoto> LoadStereoPhotographOrThrow(const std::string& path,
                                                                        const CancelToken& cancel);

}  // namespace vesk::cli
