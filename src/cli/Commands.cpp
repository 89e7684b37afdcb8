#include "commands/Commands.h"
#include "Command.h"

namespace vesk::cli {

const std::vector<Command>& AllCommands() {
  static const std::vector<Command> commands = {
      CheckCommand(), FitCommand(), MatchCommand(), OrientCommand(), RenderCommand(),
  };
  return commands;
}

}  // namespace vesk::cli
