#include "render/WalkGrid.h"

#include <cmath>

#include "model/BuildMode.h"
#include "model/NumericHelpers.h"
#include "render/AreaWalk.h"

namespace vesk::render_detail {
namespace {

// A result position (column or row of the build area) as an index below
// `count`, or -1 outside.
int AreaIndex(double position, int count, bool rounded) {
  if (rounded) {
    if (!(position > -2.0e9 && position < 2.0e9)) return -1;
    const int index = RoundHalfAway(position);
    return index >= 0 && index < count ? index : -1;
  }
  return position > -1.0 && position < count ? static_cast<int>(position) : -1;
}

}  // namespace

void Walk::FindConsecutiveColumns() {
  ConsecutiveUntil.assign(ResultColumn.size(), 0);
  for (std::size_t c = ResultColumn.size(); c-- > 0;) {
    const bool joins =
        c + 1 < ResultColumn.size() && ResultColumn[c] >= 0 && ResultColumn[c + 1] == ResultColumn[c] + 1;
    ConsecutiveUntil[c] = joins ? ConsecutiveUntil[c + 1] : static_cast<int>(c);
  }
}
Walk MakeImageWalk(const RenderRequest& request, const RgbImage& walked, const ImagePlane& plane) {
  Walk walk;
  const bool orientation = request.From == Origin::FromOrientation;
  walk.X.resize(static_cast<std::size_t>(walked.Width()));
  walk.Y.resize(static_cast<std::size_t>(walked.Height()));
  walk.ResultColumn.resize(walk.X.size());
  walk.ResultRow.resize(walk.Y.size());
  // Orientation jobs hand the maps image-plane coordinates: x from the
  // centre to the right, y from the centre upwards over the correction value.
  for (int c = 0; c < walked.Width(); ++c) {
    walk.X[static_cast<std::size_t>(c)] = orientation ? c - plane.CentreX : c;
    walk.ResultColumn[static_cast<std::size_t>(c)] = c;
  }
  for (int j = 0; j < walked.Height(); ++j) {
    walk.Y[static_cast<std::size_t>(j)] = orientation ? (plane.CentreY - j) / plane.CorrectionValue : j;
    walk.ResultRow[static_cast<std::size_t>(j)] = j;
  }
  walk.ProgressStep = 100.0 / walked.Width();
  walk.FindConsecutiveColumns();
  return walk;
}

Walk MakeAreaWalk(const RenderRequest& request, PictureSize result) {
  const BuildArea& area = request.Area;
  Walk walk;
  walk.X = *WalkSequence(area.XMin, area.XMax, area.Step, result.Width);
  walk.Y = *WalkSequence(area.YMin, area.YMax, area.Step, result.Height);
  const bool rounded = request.Mode == BuildMode::AnaglyphOnSceneInterpolated;
  // Scene y grows upwards in the result: AreaYMax lands on row 0.
  const double height = std::fabs(area.YMax - area.YMin);
  for (const double planX : walk.X)
    walk.ResultColumn.push_back(AreaIndex((planX - area.XMin) / area.Step, result.Width, rounded));
  for (const double ys : walk.Y)
    walk.ResultRow.push_back(AreaIndex((height - (ys - area.YMin)) / area.Step, result.Height, rounded));
  walk.ProgressStep = 100.0 / (std::fabs(area.XMax - area.XMin) / area.Step);
  walk.FindConsecutiveColumns();
  return walk;
}

SeparableMap::SeparableMap(const JobTransform& t, const Walk& walk) : A2(t.A2()), B2(t.B2()) {
  for (const double x : walk.X) {
    A0x.push_back(t.A0() * x);
    B0x.push_back(t.B0() * x);
    C0x.push_back(t.C0() * x);
  }
  for (const double y : walk.Y) {
    A1y.push_back(t.A1() * y);
    B1y.push_back(t.B1() * y);
    C1y.push_back(t.C1() * y);
  }
}

}  // namespace vesk::render_detail
