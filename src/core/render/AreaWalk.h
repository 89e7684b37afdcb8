#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace vesk {

// The positions a build-area walk visits along one axis: from `from`, adding
// `step` again and again (double accumulation), while the position is not
// beyond `to`. Empty when `from` > `to`. `wholeSteps` is trunc(|to - from| /
// step); a walk that needs far more positions than that, because the step is
// lost against the size of the bounds, gives nothing.
std::optional<std::vector<double>> WalkSequence(double from, double to, double step, std::int64_t wholeSteps);

// The number of positions WalkSequence would give, without storing them.
std::optional<std::int64_t> WalkLength(double from, double to, double step, std::int64_t wholeSteps);

}  // namespace vesk
