#include "estimation/FitPlan.h"

#include "common/VeskError.h"

namespace vesk {

FitPlan FitPlanFor(BuildMode mode) {
  constexpr PointSetCode kFirst = PointSetCode::FirstPhoto;
  constexpr PointSetCode kSecond = PointSetCode::SecondPhoto;
  constexpr PointSetCode kScene = PointSetCode::Scene;
  switch (mode) {
    case BuildMode::SecondToFirst:
    case BuildMode::AnaglyphOnSecond:
    case BuildMode::FirstToSecondInterpolated:
      return FitPlan{{kSecond, kFirst}, std::nullopt};
    case BuildMode::FirstToSecond:
    case BuildMode::AnaglyphOnFirst:
    case BuildMode::SecondToFirstInterpolated:
      return FitPlan{{kFirst, kSecond}, std::nullopt};
    case BuildMode::FirstToPlan:
      return FitPlan{{kFirst, kScene}, std::nullopt};
    case BuildMode::SecondToPlan:
      return FitPlan{{kSecond, kScene}, std::nullopt};
    case BuildMode::AnaglyphOnScene:
      return FitPlan{{kFirst, kScene}, PlannedFit{kScene, kSecond}};
    case BuildMode::FirstToPlanInterpolated:
      return FitPlan{{kScene, kFirst}, std::nullopt};
    case BuildMode::SecondToPlanInterpolated:
      return FitPlan{{kScene, kSecond}, std::nullopt};
    case BuildMode::AnaglyphOnSceneInterpolated:
      return FitPlan{{kScene, kFirst}, PlannedFit{kScene, kSecond}};
  }
  throw VeskError("Unknown build mode " + std::to_string(static_cast<int>(mode)));
}

bool PlanNeedsScene(BuildMode mode) {
  const FitPlan plan = FitPlanFor(mode);
  const auto uses = [](const PlannedFit& fit) {
    return fit.Source == PointSetCode::Scene || fit.Target == PointSetCode::Scene;
  };
  return uses(plan.Primary) || (plan.Second && uses(*plan.Second));
}

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
