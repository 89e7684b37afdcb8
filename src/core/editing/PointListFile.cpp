#include "editing/PointListFile.h"

#include "files/CoordinateFile.h"
#include "files/TextFile.h"

namespace vesk {

std::optional<PointListSaveFailure> SavePointList(const std::vector<EditedPoint>& points, const std::string& path,
                                                  const NumberFormat& format) {
  PointListSaveFailure failure;
  std::vector<std::string> lines;
  lines.reserve(points.size());
  for (std::size_t i = 0; i < points.size(); ++i) {
    if (!points[i].Complete()) {
      failure.Incomplete.push_back(static_cast<int>(i));
      continue;
    }
    lines.push_back(FormatPointLine(*points[i].X, *points[i].Y, format));
  }
  if (!failure.Incomplete.empty()) return failure;
  if (!WriteTextFileReplacing(path, lines, &failure.Cause)) return failure;
  return std::nullopt;
}

PointListRead ReadPointList(const std::string& path, const NumberFormat& format) {
  PointListRead read;
  VT_Points points(kOwnsItems);
  read.Failure = ReadPointFile(path, points, format);
  if (!read.Failure) read.Points = ToEditedPoints(points);
  return read;
}

}  // namespace vesk
