#pragma once

#include <vector>

#include "render/RenderKernels.h"
#include "render/RenderRequest.h"
#include "render/RgbImage.h"

namespace vesk::render_detail {

// The grid of the walk: the x handed to the maps per walked column, the y per
// row, and where the inverse modes write each column and row of samples.
struct Walk {
  std::vector<double> X;
  std::vector<double> Y;
  std::vector<int> ResultColumn;
  std::vector<int> ResultRow;
  // Per walk column c: the last column up to which the result columns
  // follow each other one by one from c's.
  std::vector<int> ConsecutiveUntil;
  double ProgressStep = 0;
  int Columns() const { return static_cast<int>(X.size()); }
  int Rows() const { return static_cast<int>(Y.size()); }
  void FindConsecutiveColumns();
};

// The pixel grid of the walked photograph; orientation jobs hand the maps
// image-plane coordinates.
Walk MakeImageWalk(const RenderRequest& request, const RgbImage& walked, const ImagePlane& plane);
// The build area, walked by repeated addition of the step.
Walk MakeAreaWalk(const RenderRequest& request, PictureSize result);

// A map over the walk grid, split into its per-column and per-row products:
// a0 x + a1 y + a2 evaluates as (a0 x + a1 y) + a2 from the two halves.
struct SeparableMap {
  std::vector<double> A0x, B0x, C0x;
  std::vector<double> A1y, B1y, C1y;
  double A2 = 0, B2 = 0;

  SeparableMap(const JobTransform& t, const Walk& walk);
  // Along a walk row j from column c0.
  MapColumns Columns(int c0) const { return MapColumns{&A0x[c0], &B0x[c0], &C0x[c0]}; }
  MapRow Row(int j) const { return MapRow{A1y[j], B1y[j], C1y[j], A2, B2}; }
};

}  // namespace vesk::render_detail
