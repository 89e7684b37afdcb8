#include "build/BuildCommands.h"

namespace vesk {

const std::array<BuildCommandInfo, 7>& BuildCommands() {
  static const std::array<BuildCommandInfo, 7> kCommands = {{
      {BuildCommand::FirstToSecond, "Первое ко второму", "first-to-second", BuildMode::FirstToSecond,
       BuildMode::FirstToSecondInterpolated},
      {BuildCommand::SecondToFirst, "Второе к первому", "second-to-first", BuildMode::SecondToFirst,
       BuildMode::SecondToFirstInterpolated},
      {BuildCommand::FirstToPlan, "Первое к плану", "first-to-plan", BuildMode::FirstToPlan,
       BuildMode::FirstToPlanInterpolated},
      {BuildCommand::SecondToPlan, "Второе к плану", "second-to-plan", BuildMode::SecondToPlan,
       BuildMode::SecondToPlanInterpolated},
      {BuildCommand::AnaglyphOnSecond, "Анаглиф на основе второго", "anaglyph-second", BuildMode::AnaglyphOnSecond,
       BuildMode::AnaglyphOnSecond},
      {BuildCommand::AnaglyphOnFirst, "Анаглиф на основе первого", "anaglyph-first", BuildMode::AnaglyphOnFirst,
       BuildMode::AnaglyphOnFirst},
      {BuildCommand::AnaglyphOnScene, "Анаглиф на основе сцены", "anaglyph-scene", BuildMode::AnaglyphOnScene,
       BuildMode::AnaglyphOnSceneInterpolated},
  }};
  return kCommands;
}

const BuildCommandInfo& InfoOf(BuildCommand command) { return BuildCommands()[static_cast<std::size_t>(command)]; }

std::optional<BuildCommand> BuildCommandNamed(std::string_view name) {
  for (const BuildCommandInfo& info : BuildCommands())
    if (name == info.Name) return info.Command;
  return std::nullopt;
}

BuildMode ModeFor(BuildCommand command, bool interpolation) {
  const BuildCommandInfo& info = InfoOf(command);
  return interpolation ? info.With : info.Without;
}

}  // namespace vesk
