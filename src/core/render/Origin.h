#pragma once

namespace vesk {

// Which workspace made the job; it decides how pixel positions meet the maps.
enum class Origin : int {
  FromReferencePoints = 1,
  FromOrientation = 2,
};

}  // namespace vesk
