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

// Jobs carry the mode as a plain int, so that a code outside the list can
// still be handed over (it renders nothing).
constexpr bool IsValidBuildMode(int code) {
  return code >= static_cast<int>(BuildMode::SecondToFirst) &&
         code <= static_cast<int>(BuildMode::AnaglyphOnSceneInterpolated);
}

// Modes 9, 10 and 11 walk the build area of the scene plane.
constexpr bool IsBuildAreaMode(int mode) { return mode >= 9 && mode <= 11; }
constexpr bool IsAnaglyphMode(int mode) { return mode == 2 || mode == 3 || mode == 6 || mode == 11; }
// Modes that scatter the walked photograph forward into the result.
constexpr bool IsForwardMode(int mode) { return mode == 0 || mode == 1 || mode == 4 || mode == 5 || mode == 6; }

}  // namespace vesk
