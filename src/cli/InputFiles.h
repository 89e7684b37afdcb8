#pragma once

#include <string>

#include "estimation/BuildFit.h"
#include "files/NumberFormat.h"
#include "model/VT_Points.h"

namespace vesk::cli {

// Reads a coordinate file; a failure raises VeskError with "path:line: message".
void ReadPointsOrThrow(const std::string& path, VT_Points& points, const NumberFormat& format);

// A photograph's size from its file (only the header is read); a missing or
// unreadable file raises VeskError naming it.
PhotoSize ReadPhotoSizeOrThrow(const std::string& path);

}  // namespace vesk::cli
