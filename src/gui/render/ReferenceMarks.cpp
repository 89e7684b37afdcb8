#include "gui/render/ReferenceMarks.h"

#include <cmath>

#include "files/CoordinateFile.h"
#include "model/BuildModeTraits.h"

namespace vesk::gui {
namespace {

// Far beyond the largest picture, small enough to add and subtract freely.
constexpr double kFarAway = 1 << 30;

int Truncated(double value) { return static_cast<int>(std::trunc(std::fmax(-kFarAway, std::fmin(kFarAway, value)))); }

bool OnScenePlane(BuildMode mode) {
  const BuildModeTraits* traits = FindTraits(static_cast<int>(mode));
  return traits != nullptr && traits->ScenePlane;
}

}  // namespace

MarkCross CrossFor(double x, double y, BuildMode resultMode, int displayedHeight) {
  const double centreRow = OnScenePlane(resultMode) ? displayedHeight - y : y;
  MarkCross cross;
  cross.Row = Truncated(centreRow);
  cross.Left = Truncated(x - 10);
  cross.Right = Truncated(x + 10);
  cross.Column = Truncated(x);
  cross.Top = Truncated(centreRow - 10);
  cross.Bottom = Truncated(centreRow + 10);
  return cross;
}

MarkReading ReadMarks(const std::vector<std::string>& lines, const NumberFormat& format, BuildMode resultMode,
                      int displayedHeight) {
  MarkReading reading;
  for (const std::string& line : lines) {
    const std::optional<VT_Point> point = ParsePointLine(line, format);
    if (!point) {
      reading.Failed = true;
      break;
    }
    reading.Crosses.push_back(CrossFor(point->X, point->Y, resultMode, displayedHeight));
  }
  return reading;
}

}  // namespace vesk::gui
