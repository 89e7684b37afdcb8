#pragma once

#include <optional>

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

// The titles of the result viewer's frame.
inline constexpr const char* kTransformedImageTitle = "Трансформированное изображение";
inline constexpr const char* kAnaglyphImageTitle = "Анаглифическое стереоизображение";

// Whose pixel grid a mode walks, and whose frame its result takes.
enum class Grid : int { BuildArea = 0, FirstPhoto = 1, SecondPhoto = 2 };

// Everything a build mode means, in one place: every layer (the fit, the
// orientation maps, the render request, the engine, the viewer) reads it
// here instead of keeping a table of its own.
struct BuildModeTraits {
  BuildMode Mode;
  Grid Walked;      // the grid the render walks
  Grid Frame;       // the result's size: that photograph's, or the build area's
  bool Forward;     // scatters the walked photograph's pixels (last write wins)
  bool Anaglyph;    // composes one colour from both photographs' samples
  bool BuildArea;   // walks the build area of the scene plane (asks for it first)
  bool ScenePlane;  // the result lies on the scene plane, scene y upwards
  FitPlan Plan;     // what the reference points are fitted into
  const char* ViewerTitle;
};

// The traits of `mode`; raises VeskError for a code outside 0..11.
const BuildModeTraits& TraitsOf(BuildMode mode);
// Nothing for a code outside 0..11 (such a job renders nothing).
const BuildModeTraits* FindTraits(int code);

// True when a fit of `mode` involves the scene points.
bool PlanNeedsScene(BuildMode mode);

}  // namespace vesk
