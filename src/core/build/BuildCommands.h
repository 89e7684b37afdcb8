#pragma once

// The builds of both workspaces, phased the way the windows run them: what a
// build-menu command means, the build area the dialog writes, and the steps
// from the input files to the rendering job's request, with every failure
// returned as a value the caller shows. This folder sits on top of the
// others: it may include model, files, progress, estimation, orientation and
// render, and nothing includes it but the programs (vesk-cli, the windows).

#include <array>
#include <optional>
#include <string_view>

#include "model/BuildMode.h"
#include "render/RenderRequest.h"

namespace vesk {

// The commands of the "Построить" menu, in the menu's order.
enum class BuildCommand {
  FirstToSecond,
  SecondToFirst,
  FirstToPlan,
  SecondToPlan,
  AnaglyphOnSecond,
  AnaglyphOnFirst,
  AnaglyphOnScene,
};

struct BuildCommandInfo {
  BuildCommand Command;
  const char* MenuText;  // the menu item
  const char* Name;      // vesk-cli's --build name
  BuildMode Without;     // "Без интерполяции"
  BuildMode With;        // "С интерполяцией"
};

// Every command in menu order.
const std::array<BuildCommandInfo, 7>& BuildCommands();
const BuildCommandInfo& InfoOf(BuildCommand command);
// The command vesk-cli calls `name`; nothing for an unknown name.
std::optional<BuildCommand> BuildCommandNamed(std::string_view name);

// The build mode of a command with or without interpolation.
BuildMode ModeFor(BuildCommand command, bool interpolation);

// The build area of the build-area dialog before the user changes anything.
inline constexpr BuildArea kDefaultBuildArea{-100, 600, -100, 500, 1};

// A workspace's build area, as the build-area dialog writes it: the bounds
// and the step in scene units, whether the step is to be derived, and
// whether the dialog was left with Cancel. All 0 until the dialog was first
// accepted.
struct BuildAreaFields {
  double XMin = 0;
  double XMax = 0;
  double YMin = 0;
  double YMax = 0;
  double Step = 0;
  bool AutoStep = false;
  bool AreaCancelled = false;

  BuildArea Area() const { return BuildArea{XMin, XMax, YMin, YMax, Step}; }
};

}  // namespace vesk
