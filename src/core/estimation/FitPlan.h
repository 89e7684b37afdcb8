#pragma once

#include <string>

#include "model/BuildMode.h"
#include "model/BuildModeTraits.h"

namespace vesk {

// The transformations a build of `mode` fits (its traits' plan).
FitPlan FitPlanFor(BuildMode mode);

// "photo 1", "photo 2", "scene" and "photo 2 -> photo 1": names for reports.
std::string PointSetName(PointSetCode code);
std::string FitName(const PlannedFit& fit);

}  // namespace vesk
