#include "build/PointCountCheck.h"

#include <algorithm>

namespace vesk {

std::optional<BuildFailure> CheckPointCounts(const std::vector<CountedPointFile>& files) {
  const bool agree = std::all_of(files.begin(), files.end(),
                                 [&](const CountedPointFile& file) { return file.Count == files.front().Count; });
  if (agree) return std::nullopt;
  std::string text = kPointCountsDiffer;
  std::string detail = "the point files hold different numbers of points:";
  for (std::size_t i = 0; i < files.size(); ++i) {
    const std::string count = std::to_string(files[i].Count);
    text += "\n" + files[i].Path + ": " + count;
    detail += (i == 0 ? " " : ", ") + files[i].Path + " " + count;
  }
  detail += " (line n of each file is the same point)";
  return BuildFailure{BuildFailure::Kind::Message, UserMessage{MessageIcon::Error, kErrorCaption, text}, std::nullopt,
                      detail};
}

}  // namespace vesk
