#pragma once

#include <string>
#include <vector>

#include "files/NumberFormat.h"
#include "model/BuildMode.h"

namespace vesk::gui {

// The cross that marks one reference point on a result: a horizontal and a
// vertical run of pixels, each covering its first pixel and not its last.
struct MarkCross {
  int Row = 0;  // of the horizontal run
  int Left = 0;
  int Right = 0;
  int Column = 0;  // of the vertical run
  int Top = 0;
  int Bottom = 0;
  friend bool operator==(const MarkCross&, const MarkCross&) = default;
};

// The cross for the point (x, y) of a coordinate file on a result of
// `resultMode` whose displayed picture is `displayedHeight` pixels high. The
// numbers are pixel positions of the result as they are; on results that lie
// on the scene plane y counts upwards from the bottom row. Positions are
// truncated toward zero; those far outside any picture are pulled in to a
// distance no picture reaches.
MarkCross CrossFor(double x, double y, BuildMode resultMode, int displayedHeight);

// The crosses of a coordinate file's lines, in order, up to the first line
// that is not a point; `failed` tells whether one was met.
struct MarkReading {
  std::vector<MarkCross> Crosses;
  bool Failed = false;
};
MarkReading ReadMarks(const std::vector<std::string>& lines, const NumberFormat& format, BuildMode resultMode,
                      int displayedHeight);

}  // namespace vesk::gui
