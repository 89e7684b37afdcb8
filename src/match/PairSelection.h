#pragma once

#include <opencv2/core.hpp>
#include <vector>

namespace vesk::match {

// Up to `count` of the points, spread over the rectangle they occupy: the
// rectangle is cut into about `count` cells of a grid, every cell gives its
// best point (highest score) first, then its second best, and so on, so that
// a dense cluster never crowds out a sparse corner; points closer than half a
// cell to one already chosen wait until nothing else is left. Indices into
// `points`.
std::vector<int> SpreadOverGrid(const std::vector<cv::Point2d>& points, const std::vector<double>& scores, int count);

}  // namespace vesk::match
