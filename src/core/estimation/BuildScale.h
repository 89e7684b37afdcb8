#pragma once

#include <optional>

#include "model/VT_Points.h"

namespace vesk {

// Shown when the reference points give no usable automatic step.
inline constexpr const char* kBuildScaleError = "Невозможно вычислить масштаб построения по реперным точкам!";

// Build-area step in scene units per output pixel: the scene length of one
// photograph pixel along the two scene points farthest apart, averaged over
// both photographs. Nothing when no finite positive step results (fewer than
// two scene points, the chosen points coinciding in a photograph, a
// photograph list too short); a build must not go on with such a step.
std::optional<double> AutoBuildScale(const VT_Points& scene, const VT_Points& points1, const VT_Points& points2);

}  // namespace vesk
