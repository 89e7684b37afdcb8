#pragma once

namespace vesk::gui {

// The build area a workspace keeps for its scene-plane builds: the scene
// rectangle and its step (scene units per result pixel), with the choices
// made in the build-area dialog. Each workspace owns one; the dialog writes
// into the one of the workspace shown last.
struct BuildAreaFields {
  double XMin = 0;
  double XMax = 0;
  double YMin = 0;
  double YMax = 0;
  double Step = 0;
  bool AutoStep = false;       // automatic scaling: the workspace derives the step
  bool AreaCancelled = false;  // the dialog was left with its cancel button
};

}  // namespace vesk::gui
