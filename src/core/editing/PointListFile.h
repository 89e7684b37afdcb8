#pragma once

#include <optional>
#include <string>
#include <vector>

#include "editing/PointEditModel.h"
#include "files/NumberFormat.h"
#include "files/ReadFailure.h"

namespace vesk {

// Writes an edited list as a coordinate file in the written form, whole or
// not at all (an old file stays intact on failure). A list with a point that
// lacks a coordinate is not written: its file would shift every later point
// by a line. Nothing on success; otherwise why, for the user.
struct PointListSaveFailure {
  std::vector<int> Incomplete;  // 0-based indexes of the points lacking a coordinate
  std::string Cause;            // the system's reason, in English, when the write failed
};
std::optional<PointListSaveFailure> SavePointList(const std::vector<EditedPoint>& points, const std::string& path,
                                                  const NumberFormat& format);

// A coordinate file as an edited list. On a failure the list holds nothing:
// a file that cannot be read whole is not edited over.
struct PointListRead {
  std::vector<EditedPoint> Points;
  std::optional<ReadFailure> Failure;
};
PointListRead ReadPointList(const std::string& path, const NumberFormat& format);

}  // namespace vesk
