#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <iostream>

#include "Command.h"
#include "files/TemporaryFiles.h"
#include "qt/ImageFiles.h"

namespace {

std::atomic<bool> interrupted{false};

// The first Ctrl+C asks a long command to stop cleanly; a second one ends
// the program at once, without leaving a half-written file behind.
extern "C" void OnInterrupt(int) {
  if (!interrupted.exchange(true)) return;
  vesk::RemoveTemporaryFilesNow();
  _exit(130);
}

}  // namespace

int main(int argc, char** argv) {
  std::signal(SIGINT, OnInterrupt);
  // SIGTERM and SIGHUP: remove temporary files, then end as the signal would.
  vesk::InstallTemporaryFileCleanupOnSignals();
  // What a killed earlier run of either program left behind goes now.
  vesk::KeepTemporaryFileJournal(vesk::DefaultTemporaryFileJournal(std::getenv));
  vesk::RemoveAbandonedTemporaryFiles();
  vesk::qt::ConfigureImageReaders();
  vesk::cli::CliEnvironment env{std::cout, std::cerr, [](const char* name) { return std::getenv(name); },
                                isatty(STDERR_FILENO) == 1, &interrupted};
  const int status = vesk::cli::RunCli(std::vector<std::string>(argv + 1, argv + argc), env);
  std::cout.flush();
  return status;
}
