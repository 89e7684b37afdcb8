#include <cmath>
#include <cstdio>
#include <optional>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

#include "CliErrors.h"
#include "InputFiles.h"
#include "Json.h"
#include "TerminalProgress.h"
#include "commands/Commands.h"
#include "common/VeskError.h"
#include "files/AtomicFileWriter.h"
#include "files/CoordinateFile.h"
#include "files/OutputTarget.h"
#include "match/MatchPhotos.h"

namespace vesk::cli {
namespace {

constexpr const char* kHelp =
    "Usage: vesk-cli match --photo1 P1 --photo2 P2 --points1 A.crd --points2 B.crd\n"
    "                      [--count N] [--threshold PX] [--decimal-separator C] [--json]\n\n"
    "Finds reference points automatically: spots of a roughly planar scene that both\n"
    "photographs show, and writes them as two coordinate files with one point per line\n"
    "and the same order in both, ready for the reference-point workspace and for\n"
    "vesk-cli fit and render. Photographs may differ in size, scale, rotation,\n"
    "perspective and exposure and may be in any format Qt reads (BMP, PNG, JPEG, TIFF).\n\n"
    "Scale- and rotation-invariant features are detected on reduced copies, matched\n"
    "(two nearest neighbours, ratio test, mutual check), kept when one plane projective\n"
    "transformation explains them, positioned again at full resolution by correlation,\n"
    "and at most N pairs spread over the common part of the photographs are written.\n"
    "Points are photograph pixels with (0, 0) at the top-left corner of the first\n"
    "pixel, as the marks of the workspace have them.\n\n"
    "Options:\n"
    "  --photo1/--photo2 P   the two photographs\n"
    "  --points1 A.crd       where the points in the first photograph are written\n"
    "  --points2 B.crd       where the same points in the second photograph are written\n"
    "  --count N             at most N pairs, 4 to 10000 (default 30)\n"
    "  --threshold PX        a pair agrees with the transformation when it misses by at\n"
    "                        most PX pixels of the second photograph (default 3)\n"
    "  --decimal-separator C decimal separator of the written files (default: the locale's)\n"
    "  --json                one JSON object: {\"pairs\", \"inliers\", \"rms\", \"checked\",\n"
    "                        \"matches\", \"points1\": [[x, y], ...], \"points2\": [...]}\n\n"
    "It prints the number of pairs written, the number of pairs that agree with the\n"
    "robust transformation (of the matches checked at full resolution, eight per pair\n"
    "asked for, and of all matches) and their root mean square distance from it, in\n"
    "pixels of the second photograph. Both files are\n"
    "written whole or not at all, after the search; before any work they are refused\n"
    "as render refuses its result (a folder, a device, a file you may not write, a\n"
    "photograph, or both options naming one file). A progress bar is shown on standard\n"
    "error for large photographs when it is a terminal; Ctrl+C stops without writing\n"
    "(exit status 130).\n\n"
    "Exit status: 0 written; 1 an input is wrong or fewer than 4 reliable pairs were\n"
    "found (identical or unrelated photographs, no detail): nothing is written;\n"
    "2 usage error; 130 interrupted.\n";

// Photographs above this many pixels together take long enough for a bar.
constexpr double kProgressPixels = 4e6;
constexpr double kMaxThreshold = 1000;

std::string Readable(double value) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.6g", value);
  return buffer;
}

// Both outputs are checked as render checks its result, and must be two
// different files.
void CheckOutputs(const std::string& points1, const std::string& points2, const std::vector<std::string>& inputs) {
  std::string finals[2];
  const std::string* paths[2] = {&points1, &points2};
  for (int k = 0; k < 2; ++k) {
    const auto target = ResolveOutputTarget(*paths[k], inputs);
    if (const auto* refusal = std::get_if<OutputRefusal>(&target)) throw VeskError(refusal->Text + ": nothing written");
    finals[k] = std::get<OutputTarget>(target).FinalPath;
  }
  if (finals[0] == finals[1]) throw UsageError("--points1 and --points2 name the same file");
}

std::string JoinedLines(const VT_Points& points, const NumberFormat& format) {
  std::string text;
  for (const std::string& line : PointFileLines(points, format)) text += line + "\r\n";
  return text;
}

// Writes both coordinate files so that neither appears unless both could be
// written: each goes into its own temporary file first, and only when both
// are complete are they put in place, one right after the other.
void WriteBothOrNeither(const std::string& path1, const VT_Points& points1, const std::string& path2,
                        const VT_Points& points2, const NumberFormat& format) {
  AtomicFileWriter first;
  AtomicFileWriter second;
  if (!first.Open(path1) || !first.Write(JoinedLines(points1, format)))
    throw VeskError(first.Error() + ": nothing written");
  if (!second.Open(path2) || !second.Write(JoinedLines(points2, format)))
    throw VeskError(second.Error() + ": nothing written");
  if (!first.Commit()) throw VeskError(first.Error() + ": nothing written");
  if (!second.Commit()) throw VeskError(second.Error() + ": " + path1 + " was written, " + path2 + " was not");
}

std::string JsonPoints(const std::vector<VT_Point>& points) {
  std::string text = "[";
  for (std::size_t i = 0; i < points.size(); ++i) {
    if (i > 0) text += ", ";
    text += "[" + JsonNumber(points[i].X) + ", " + JsonNumber(points[i].Y) + "]";
  }
  return text + "]";
}

int RunMatch(Arguments& args, CliEnvironment& env) {
  const bool json = args.Flag("--json");
  const std::string photo1Path = args.RequiredValue("--photo1");
  const std::string photo2Path = args.RequiredValue("--photo2");
  const std::string points1Path = args.RequiredValue("--points1");
  const std::string points2Path = args.RequiredValue("--points2");
  match::MatchSettings settings;
  if (const auto count = args.Integer("--count")) {
    if (*count < match::kMinMatchPairs || *count > match::kMaxMatchPairs)
      throw UsageError("option --count takes a number of pairs from " + std::to_string(match::kMinMatchPairs) + " to " +
                       std::to_string(match::kMaxMatchPairs));
    settings.MaxPairs = *count;
  }
  if (const auto threshold = args.Number("--threshold")) {
    if (!(*threshold > 0 && *threshold <= kMaxThreshold))
      throw UsageError("option --threshold takes a distance in pixels above 0 and at most " + Readable(kMaxThreshold));
    settings.Threshold = *threshold;
  }
  const NumberFormat format = DataFileFormat(args, env);
  args.Finish();
  CheckOutputs(points1Path, points2Path, {photo1Path, photo2Path});

  const CancelToken cancel(env.Interrupted);
  const qt::SharedPhoto photo1 = LoadPhotographOrThrow(photo1Path, cancel);
  const qt::SharedPhoto photo2 = LoadPhotographOrThrow(photo2Path, cancel);
  const double pixels =
      static_cast<double>(photo1->Width()) * photo1->Height() + static_cast<double>(photo2->Width()) * photo2->Height();
  match::MatchOutcome outcome;
  {
    TerminalProgress progress(env.Err, env.ErrIsTerminal && pixels > kProgressPixels, "match");
    try {
      outcome = match::FindCorrespondingPoints(*photo1, *photo2, settings, progress, cancel);
    } catch (const std::runtime_error& error) {
      throw VeskError(error.what());
    }
    progress.Close();
  }
  if (outcome.Status == match::MatchStatus::Cancelled || cancel.Requested()) throw Interrupted();
  if (outcome.Status != match::MatchStatus::Found)
    throw VeskError("no reference points found: " + outcome.Reason + "; nothing written");

  VT_Points points1(kOwnsItems);
  VT_Points points2(kOwnsItems);
  match::AppendPairs(outcome, points1, points2);
  WriteBothOrNeither(points1Path, points1, points2Path, points2, format);

  if (json) {
    env.Out << "{\"pairs\": " << points1.Count() << ", \"inliers\": " << outcome.Inliers
            << ", \"rms\": " << JsonNumber(outcome.Rms) << ", \"checked\": " << outcome.Checked
            << ", \"matches\": " << outcome.Matches << ", \"points1\": " << JsonPoints(outcome.Points1)
            << ", \"points2\": " << JsonPoints(outcome.Points2) << "}\n";
  } else {
    env.Out << "pairs: " << points1.Count() << "\n"
            << "inliers: " << outcome.Inliers << " (of " << outcome.Checked << " pairs checked at full resolution, "
            << outcome.Matches << " matches)\n"
            << "rms: " << Readable(outcome.Rms) << " px\n";
  }
  return kExitSuccess;
}

}  // namespace

Command MatchCommand() {
  return Command{"match", "find reference points in two photographs automatically", kHelp, RunMatch};
}

}  // namespace vesk::cli
