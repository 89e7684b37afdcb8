#include "PairSelection.h"

#include <algorithm>
#include <cmath>

namespace vesk::match {

std::vector<int> SpreadOverGrid(const std::vector<cv::Point2d>& points, const std::vector<double>& scores, int count) {
  std::vector<int> chosen;
  if (points.empty() || count <= 0) return chosen;
  double minX = points[0].x, maxX = points[0].x, minY = points[0].y, maxY = points[0].y;
  for (const cv::Point2d& p : points) {
    minX = std::min(minX, p.x);
    maxX = std::max(maxX, p.x);
    minY = std::min(minY, p.y);
    maxY = std::max(maxY, p.y);
  }
  const double width = std::max(maxX - minX, 1.0);
  const double height = std::max(maxY - minY, 1.0);
  const int columns = std::max(1, static_cast<int>(std::lround(std::sqrt(count * width / height))));
  const int rows = std::max(1, static_cast<int>(std::lround(static_cast<double>(count) / columns)));

  std::vector<std::vector<int>> cells(static_cast<std::size_t>(columns * rows));
  for (std::size_t i = 0; i < points.size(); ++i) {
    const int column = std::min(columns - 1, static_cast<int>((points[i].x - minX) / width * columns));
    const int row = std::min(rows - 1, static_cast<int>((points[i].y - minY) / height * rows));
    cells[static_cast<std::size_t>(row * columns + column)].push_back(static_cast<int>(i));
  }
  // Best first within a cell; ties by index keep the choice reproducible.
  const auto better = [&scores](int a, int b) {
    return scores[static_cast<std::size_t>(a)] > scores[static_cast<std::size_t>(b)] ||
           (scores[static_cast<std::size_t>(a)] == scores[static_cast<std::size_t>(b)] && a < b);
  };
  for (std::vector<int>& cell : cells) std::sort(cell.begin(), cell.end(), better);

  // First with a least spacing of half a cell, so that a cell's second
  // point never sits beside its first; then without, to reach the count.
  const double cellSpacing = 0.5 * std::min(width / columns, height / rows);
  std::vector<bool> taken(points.size(), false);
  for (const double spacing : {cellSpacing, 0.0}) {
    for (std::size_t rank = 0; static_cast<int>(chosen.size()) < count; ++rank) {
      std::vector<int> round;
      bool anyLeft = false;
      for (const std::vector<int>& cell : cells) {
        if (rank >= cell.size()) continue;
        anyLeft = true;
        const int candidate = cell[rank];
        if (taken[static_cast<std::size_t>(candidate)]) continue;
        const cv::Point2d& p = points[static_cast<std::size_t>(candidate)];
        const bool crowded = std::any_of(chosen.begin(), chosen.end(), [&](int other) {
          const cv::Point2d& q = points[static_cast<std::size_t>(other)];
          return std::hypot(p.x - q.x, p.y - q.y) < spacing;
        });
        if (!crowded) round.push_back(candidate);
      }
      if (!anyLeft) break;
      // When a round does not fit whole, its best points go first.
      const std::size_t room = static_cast<std::size_t>(count) - chosen.size();
      if (round.size() > room) {
        std::sort(round.begin(), round.end(), better);
        round.resize(room);
        std::sort(round.begin(), round.end());
      }
      for (int index : round) taken[static_cast<std::size_t>(index)] = true;
      chosen.insert(chosen.end(), round.begin(), round.end());
    }
  }
  return chosen;
}

}  // namespace vesk::match
