
#include "CliErrors.h"
#include "Json.h"
#include "commands/Commands.h"
#include "commands/FileCheckers.h"

namespace vesk::cli {
namespace {

constexpr const char* kHelp =
    "Usage: vesk-cli check [--decimal-separator C] [--json] FILE...\n\n"
    "Validates Vesk data files as the application reads them and prints, per file,\n"
    "what it holds or the first error with its line number.\n"
    "The kind of file is taken from its extension:\n"
    "  .crd (and any other)  coordinate file: one point 'x ; y' per line\n"
    "  .cam                  calibration file, with its correction table\n"
    "  .ort                  shooting-geometry file\n"
    "  .prt                  project file: every path it names must exist (relative\n"
    "                        paths are taken from the project's folder)\n"
    "  .bmp .png .jpg .jpeg .tif .tiff  photograph, decoded whole as a build reads it\n\n"
    "Options:\n"
    "  --decimal-separator C  decimal separator of the data files (default: the\n"
    "                         locale's, from LC_ALL, LC_NUMERIC or LANG)\n"
    "  --json                 one JSON object: {\"files\": [{\"path\", \"kind\", \"ok\",\n"
    "                         \"summary\", \"error\", \"line\"}, ...]}\n\n"
    "Exit status: 0 when every file is valid, 1 when one is not, 2 on a usage error.\n";

int RunCheck(Arguments& args, CliEnvironment& env) {
  const bool json = args.Flag("--json");
  const NumberFormat format = DataFileFormat(args, env);
  const std::vector<std::string> files = args.Operands();
  args.Finish();
  if (files.empty()) throw UsageError("no file given");

  bool allValid = true;
  std::string jsonFiles;
  for (const std::string& path : files) {
    const FileCheckResult result = CheckDataFile(path, format);
    allValid = allValid && result.Valid;
    if (json) {
      if (!jsonFiles.empty()) jsonFiles += ", ";
      jsonFiles += "{\"path\": " + JsonString(path) + ", \"kind\": " + JsonString(result.Kind) +
                   ", \"ok\": " + (result.Valid ? "true" : "false");
      if (result.Valid) {
        jsonFiles += ", \"summary\": " + JsonString(result.Summary);
        if (result.Count >= 0) jsonFiles += ", \"count\": " + std::to_string(result.Count);
      } else {
        jsonFiles += ", \"error\": " + JsonString(result.Error);
        if (result.Line > 0) jsonFiles += ", \"line\": " + std::to_string(result.Line);
      }
      jsonFiles += "}";
    } else if (result.Valid) {
      env.Out << path << ": " << result.Summary << "\n";
    } else {
      env.Err << path;
      if (result.Line > 0) env.Err << ":" << result.Line;
      env.Err << ": " << result.Error << "\n";
    }
  }
  if (json) env.Out << "{\"files\": [" << jsonFiles << "]}\n";
  return allValid ? kExitSuccess : kExitInputError;
}

}  // namespace

Command CheckCommand() { return Command{"check", "validate data files and show what they hold", kHelp, RunCheck}; }

}  // namespace vesk::cli
