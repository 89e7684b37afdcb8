#pragma once

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "Command.h"

namespace vesk::test {

// Runs vesk-cli in-process with a chosen environment and captures its output.
struct CliRun {
  int Status = 0;
  std::string Out;
  std::string Err;
};

inline CliRun RunVeskCli(const std::vector<std::string>& args,
                         const std::map<std::string, std::string>& environment = {}) {
  std::ostringstream out, err;
  cli::CliEnvironment env{out, err, [&environment](const char* name) -> const char* {
                            const auto it = environment.find(name);
                            return it == environment.end() ? nullptr : it->second.c_str();
                          }};
  CliRun run;
  run.Status = cli::RunCli(args, env);
  run.Out = out.str();
  run.Err = err.str();
  return run;
}

}  // namespace vesk::test
