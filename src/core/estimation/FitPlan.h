#pragma once

#include <optional>
#include <string>

#include "model/BuildMode.h"

namespace vesk {

// Which of the three reference-point sets a list is. The values are the codes
// the statistical method uses to pick the photograph size for its distance test.
enum class PointSetCode : int { FirstPhoto = 1, SecondPhoto = 2, Scene = 3 };

// One transformation to fit: from the source set's coordinates to the target's.
struct PlannedFit {
  PointSetCode Source;
  PointSetCode Target;
};

// The transformations a build needs: the primary set always, the second set
// only for the scene-based anaglyphs.
struct FitPlan {
  PlannedFit Primary;
  std::optional<PlannedFit> Second;
};

FitPlan FitPlanFor(BuildMode mode);

// True when a fit of `mode` involves the scene points.
bool PlanNeedsScene(BuildMode mode);

// "photo 1", "photo 2", "scene" and "photo 2 -> photo 1": names for reports.
std::string PointSetName(PointSetCode code);
std::string FitName(const PlannedFit& fit);

}  // namespace vesk
