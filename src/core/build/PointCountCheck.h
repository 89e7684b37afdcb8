#pragma once

#include <optional>
#include <string>
#include <vector>

#include "build/BuildFailure.h"

namespace vesk {

// A coordinate file a build read, with the points it gave.
struct CountedPointFile {
  std::string Path;
  int Count = 0;
};

// Shown when the point files of one build hold different numbers of points.
inline constexpr const char* kPointCountsDiffer = "Число точек в файлах координат не совпадает!";

// Line n of every point file is the same physical point, so a build whose
// files disagree in length would pair points that do not belong together
// (or read past the end of the shorter list). Nothing when every file holds
// as many points as the first; otherwise the message names each file with
// its count on a line of its own, and Detail says the same in English.
std::optional<BuildFailure> CheckPointCounts(const std::vector<CountedPointFile>& files);

}  // namespace vesk
