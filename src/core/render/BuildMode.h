#pragma once

namespace vesk {

// What a build makes. The workspaces pick the code from the build menu and
// the construction-mode setting; jobs carry it as a plain int so that a code
// outside the list can still be handed over (it renders nothing).
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

inline constexpr int kFirstBuildMode = 0;
inline constexpr int kLastBuildMode = 11;

inline bool IsKnownBuildMode(int mode) { return mode >= kFirstBuildMode && mode <= kLastBuildMode; }
// Modes 9, 10 and 11 walk the build area of the scene plane.
inline bool IsBuildAreaMode(int mode) { return mode >= 9 && mode <= 11; }
inline bool IsAnaglyphMode(int mode) { return mode == 2 || mode == 3 || mode == 6 || mode == 11; }
// Modes that scatter the walked photograph forward into the result.
inline bool IsForwardMode(int mode) { return mode == 0 || mode == 1 || mode == 4 || mode == 5 || mode == 6; }

// Which workspace made the job; it decides how pixel positions meet the maps.
enum class Origin : int {
  FromReferencePoints = 1,
  FromOrientation = 2,
};

}  // namespace vesk
