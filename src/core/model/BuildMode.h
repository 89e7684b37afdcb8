#pragma once

namespace vesk {

// What a build produces; the code is what the workspaces hand to the rendering
// job and what the command line takes as --mode.
enum class BuildMode : int {
  SecondToFirst = 0,
  FirstToSecond = 1,
  AnaglyphOnSecond = 2,
  AnaglyphOnFirst = 3,
  FirstToPlan = 4,
  SecondToPlan = 5,
  AnaglyphOnScene = 6,
  FirstToSecondInterpolated = 7,
  SecondToFirstInterpolated = 8,
  FirstToPlanInterpolated = 9,
  SecondToPlanInterpolated = 10,
  AnaglyphOnSceneInterpolated = 11,
};

// Whether a code names one of the modes (what each means: BuildModeTraits.h).
// A job handed a code outside the list renders nothing.
constexpr bool IsValidBuildMode(int code) {
  return code >= static_cast<int>(BuildMode::SecondToFirst) &&
         code <= static_cast<int>(BuildMode::AnaglyphOnSceneInterpolated);
}

}  // namespace vesk
