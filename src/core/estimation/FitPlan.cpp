#include "estimation/FitPlan.h"

namespace vesk {

FitPlan FitPlanFor(BuildMode mode) { return TraitsOf(mode).Plan; }

std::string PointSetName(PointSetCode code) {
  switch (code) {
    case PointSetCode::FirstPhoto:
      return "photo 1";
    case PointSetCode::SecondPhoto:
      return "photo 2";
    case PointSetCode::Scene:
      return "scene";
  }
  return "?";
}

std::string FitName(const PlannedFit& fit) { return PointSetName(fit.Source) + " -> " + PointSetName(fit.Target); }

}  // namespace vesk
