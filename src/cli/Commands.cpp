#include "commands/Commands.h"
#include "Command.h"

namespace vesk::cli {

const std::vector<Command>& AllCommands() {
  static const std::vector<Command> commands = {
      CheckCommand(),
      OrientCommand(),
      FitCommand(),
      RenderCommand(),
  };
  return commands;
}

}  // namespace vesk::cli
