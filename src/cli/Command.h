#pragma once

#include <string>
#include <vector>

#include "Arguments.h"
#include "CliContext.h"

namespace vesk::cli {

// One vesk-cli command: its name, a one-line summary for the overview, the
// full help text printed by --help, and what it does.
struct Command {
  std::string Name;
  std::string Summary;
  std::string Help;
  int (*Run)(Arguments& args, CliEnvironment& env);
};

// Every command, in the order the overview lists them.
const std::vector<Command>& AllCommands();

// Runs vesk-cli with the arguments after the program name; returns the exit status.
int RunCli(const std::vector<std::string>& args, CliEnvironment& env);

}  // namespace vesk::cli
