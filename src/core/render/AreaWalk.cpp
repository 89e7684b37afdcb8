#include "render/AreaWalk.h"

namespace vesk {
namespace {

// Rounding of the running sum may add a position or two; anything beyond
// twice the expected count means the additions stall.
std::int64_t PositionLimit(std::int64_t wholeSteps) { return 2 * (wholeSteps + 1) + 16; }

}  // namespace

std::optional<std::vector<double>> WalkSequence(double from, double to, double step, std::int64_t wholeSteps) {
  const std::int64_t limit = PositionLimit(wholeSteps);
  std::vector<double> positions;
  for (double position = from; position <= to; position = position + step) {
    if (static_cast<std::int64_t>(positions.size()) >= limit) return std::nullopt;
    positions.push_back(position);
  }
  return positions;
}

std::optional<std::int64_t> WalkLength(double from, double to, double step, std::int64_t wholeSteps) {
  const std::int64_t limit = PositionLimit(wholeSteps);
  std::int64_t count = 0;
  for (double position = from; position <= to; position = position + step) {
    if (count >= limit) return std::nullopt;
    ++count;
  }
  return count;
}

}  // namespace vesk
