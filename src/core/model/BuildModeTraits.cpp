#include "model/BuildModeTraits.h"

#include <string>

#include "common/VeskError.h"

namespace vesk {
namespace {

constexpr const char* kTransformed = kTransformedImageTitle;
constexpr const char* kAnaglyph = kAnaglyphImageTitle;

constexpr PointSetCode k1 = PointSetCode::FirstPhoto;
constexpr PointSetCode k2 = PointSetCode::SecondPhoto;
constexpr PointSetCode kS = PointSetCode::Scene;
constexpr Grid g1 = Grid::FirstPhoto;
constexpr Grid g2 = Grid::SecondPhoto;
constexpr Grid gA = Grid::BuildArea;

// Modes 0 and 1 write into the other photograph's frame, so they take its
// size as well (and guard against its bounds).
// clang-format off
const BuildModeTraits kTraits[] = {
    // mode                                  walked frame forward anaglyph area  plane  plan
    {BuildMode::SecondToFirst,               g2, g1, true,  false, false, false, {{k2, k1}, {}}, kTransformed},
    {BuildMode::FirstToSecond,               g1, g2, true,  false, false, false, {{k1, k2}, {}}, kTransformed},
    {BuildMode::AnaglyphOnSecond,            g2, g2, false, true,  false, false, {{k2, k1}, {}}, kAnaglyph},
    {BuildMode::AnaglyphOnFirst,             g1, g1, false, true,  false, false, {{k1, k2}, {}}, kAnaglyph},
    {BuildMode::FirstToPlan,                 g1, g1, true,  false, false, true,  {{k1, kS}, {}}, kTransformed},
    {BuildMode::SecondToPlan,                g2, g2, true,  false, false, true,  {{k2, kS}, {}}, kTransformed},
    {BuildMode::AnaglyphOnScene,             g1, g1, true,  true,  false, true,  {{k1, kS}, PlannedFit{kS, k2}}, kAnaglyph},
    {BuildMode::FirstToSecondInterpolated,   g2, g2, false, false, false, false, {{k2, k1}, {}}, kTransformed},
    {BuildMode::SecondToFirstInterpolated,   g1, g1, false, false, false, false, {{k1, k2}, {}}, kTransformed},
    {BuildMode::FirstToPlanInterpolated,     gA, gA, false, false, true,  true,  {{kS, k1}, {}}, kTransformed},
    {BuildMode::SecondToPlanInterpolated,    gA, gA, false, false, true,  true,  {{kS, k2}, {}}, kTransformed},
    {BuildMode::AnaglyphOnSceneInterpolated, gA, gA, false, true,  true,  true,  {{kS, k1}, PlannedFit{kS, k2}}, kAnaglyph},
};
// clang-format on

}  // namespace

const BuildModeTraits* FindTraits(int code) {
  if (!IsValidBuildMode(code)) return nullptr;
  return &kTraits[code];
}

const BuildModeTraits& TraitsOf(BuildMode mode) {
  const BuildModeTraits* traits = FindTraits(static_cast<int>(mode));
  if (traits == nullptr) throw VeskError("Unknown build mode " + std::to_string(static_cast<int>(mode)));
  return *traits;
}

bool PlanNeedsScene(BuildMode mode) {
  const FitPlan& plan = TraitsOf(mode).Plan;
  const auto uses = [](const PlannedFit& fit) {
    return fit.Source == PointSetCode::Scene || fit.Target == PointSetCode::Scene;
  };
  return uses(plan.Primary) || (plan.Second && uses(*plan.Second));
}

}  // namespace vesk
