#include <algorithm>
#include <exception>

#include "CliErrors.h"
#include "Command.h"
#include "common/VeskError.h"

namespace vesk::cli {
namespace {

constexpr const char* kVersion = "vesk-cli 1.0.0";

void PrintOverview(std::ostream& out) {
  out << "Usage: vesk-cli COMMAND [options]\n"
         "       vesk-cli COMMAND --help\n"
         "       vesk-cli --version\n\n"
         "Batch use of Vesk: photogrammetric transforms, orientation and stereo images.\n\n"
         "Commands:\n";
  std::size_t width = 0;
  for (const Command& command : AllCommands()) width = std::max(width, command.Name.size());
  for (const Command& command : AllCommands())
    out << "  " << command.Name << std::string(width - command.Name.size() + 2, ' ') << command.Summary << "\n";
  out << "\nExit status: 0 success, 1 an input is wrong, 2 usage error.\n"
         "Numbers on the command line use '.'; data files use the locale's decimal\n"
         "separator unless --decimal-separator says otherwise.\n";
}

}  // namespace

int RunCli(const std::vector<std::string>& args, CliEnvironment& env) {
  if (args.empty()) {
    PrintOverview(env.Err);
    return kExitUsageError;
  }
  const std::string& name = args.front();
  if (name == "--help" || name == "-h" || name == "help") {
    PrintOverview(env.Out);
    return kExitSuccess;
  }
  if (name == "--version") {
    env.Out << kVersion << "\n";
    return kExitSuccess;
  }
  for (const Command& command : AllCommands()) {
    if (command.Name != name) continue;
    Arguments arguments(std::vector<std::string>(args.begin() + 1, args.end()));
    try {
      if (arguments.Flag("--help") || arguments.Flag("-h")) {
        env.Out << command.Help;
        return kExitSuccess;
      }
      return command.Run(arguments, env);
    } catch (const UsageError& error) {
      env.Err << "vesk-cli " << name << ": " << error.what() << "\n"
              << "Try 'vesk-cli " << name << " --help'.\n";
      return kExitUsageError;
    } catch (const Interrupted& error) {
      env.Err << "vesk-cli " << name << ": " << error.what() << "\n";
      return kExitInterrupted;
    } catch (const VeskError& error) {
      env.Err << "vesk-cli " << name << ": " << error.what() << "\n";
      return kExitInputError;
    } catch (const std::bad_alloc&) {
      env.Err << "vesk-cli " << name << ": out of memory\n";
      return kExitInputError;
    }
  }
  env.Err << "vesk-cli: unknown command '" << name << "'\n";
  PrintOverview(env.Err);
  return kExitUsageError;
}

}  // namespace vesk::cli
