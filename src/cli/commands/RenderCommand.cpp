#include <chrono>
#include <tuple>
#include <utility>

#include "CliErrors.h"
#include "InputFiles.h"
#include "TerminalProgress.h"
#include "commands/Commands.h"
#include "commands/RenderInputs.h"
#include "common/VeskError.h"
#include "files/OutputTarget.h"
#include "model/BuildModeTraits.h"
#include "qt/ImageFiles.h"
#include "qt/StereoFiles.h"
#include "render/RenderEngine.h"
#include "render/RenderMessages.h"
#include "render/StereoBuild.h"

namespace vesk::cli {
namespace {

constexpr const char* kHelp =
    "Usage: vesk-cli render --project P.prt --by points|orientation --build BUILD\n"
    "                       [--interpolation on|off] [--area XMIN XMAX YMIN YMAX] [--step S|auto]\n"
    "                       [--convention mathematical|photogrammetric|laboratory]\n"
    "                       [--sigma K] [--min-angle DEG] [--min-distance FRACTION]\n"
    "                       [--decimal-separator C] [--anaglyph METHOD] [--swap-eyes]\n"
    "                       [--shift PX] [--crop-common] [--stereo-format FORMAT] -o OUT\n"
    "       vesk-cli render --photo1 P1 --photo2 P2 | --stereo-photo PAIR.mpo\n"
    "                       --mode N --transform1 \"a0,a1,a2,c0,c1,b0,b1,b2\"\n"
    "                       [--transform2 \"...\"] [--origin points|orientation --centre1 X Y --centre2 X Y\n"
    "                       --correction1 K --correction2 K] [--area XMIN XMAX YMIN YMAX --step S]\n"
    "                       [--anaglyph METHOD] [--swap-eyes]\n"
    "                       [--shift PX] [--crop-common] [--stereo-format FORMAT] -o OUT\n\n"
    "Builds a transformed image or an anaglyph of two photographs and writes it\n"
    "as a 24-bit BMP file, as PNG when OUT ends in .png or as TIFF for .tif and .tiff.\n"
    "An anaglyph build may also be written as a stereo pair of its two views: JPS\n"
    "for .jps (one JPEG, the right view beside the left for cross-eyed viewing, as\n"
    "JPS viewers expect) or MPO for .mpo (the left and the right view as two JPEGs\n"
    "in one file, for 3D cameras, televisions and viewers). Photographs may be in\n"
    "any format Qt reads (BMP, PNG, JPEG, TIFF).\n\n"
    "The first form makes exactly the build the workspace would make from the input set\n"
    "of a project file: by reference points (the method chosen by the points, the\n"
    "transformations fitted by least squares or by the statistical method) or by\n"
    "orientation (the transformations derived from calibration and shooting geometry).\n"
    "The second form takes the transformations as they are.\n\n"
    "BUILD (the build menu) and the build mode it gives without / with interpolation:\n"
    "  second-to-first 0/8, first-to-second 1/7, first-to-plan 4/9, second-to-plan 5/10,\n"
    "  anaglyph-second 2, anaglyph-first 3, anaglyph-scene 6/11\n\n"
    "Options of the project form:\n"
    "  --project P.prt     the input set; relative paths are taken from its folder\n"
    "  --by W              points or orientation: how the transformations are made\n"
    "  --build BUILD       the build menu command\n"
    "  --interpolation on|off  with interpolation (default on) or without\n"
    "  --step S|auto       auto: the step derived from the reference points, or from\n"
    "                      the sighting distances and focal lengths\n"
    "  --convention C      by orientation: mathematical (default), photogrammetric or\n"
    "                      laboratory\n"
    "  --sigma K           by points, statistical method: clipping band in standard\n"
    "                      deviations (3)\n"
    "  --min-angle DEG     by points, statistical method: minimum angle between lines (10)\n"
    "  --min-distance F    by points, statistical method: minimum distance between points\n"
    "                      as a fraction of the photograph's diagonal (0.1)\n"
    "  --decimal-separator C  decimal separator of the data files (default: the locale's)\n\n"
    "Options of the explicit form:\n"
    "  --stereo-photo F    an MPO file of a stereo camera: its first (left) picture is\n"
    "                      photograph 1, its second (right) picture photograph 2\n"
    "  --mode N            build mode 0..11\n"
    "  --transform1 T      primary map, coefficients in stored order a0,a1,a2,c0,c1,b0,b1,b2\n"
    "  --transform2 T      second map (modes 6 and 11)\n"
    "  --origin O          points (default) or orientation: orientation maps work in the\n"
    "                      image plane given by --centreK and --correctionK (default 0 0, 1)\n\n"
    "Options of both:\n"
    "  --area XMIN XMAX YMIN YMAX  build area on the scene plane (default -100 600 -100 500)\n"
    "  --step S            scene units per result pixel (default 1)\n"
    "  --anaglyph METHOD   the colours of an anaglyph build, for the glasses at hand:\n"
    "      red-green             red-green glasses; grey levels (the default)\n"
    "      red-blue              red-blue glasses; grey levels\n"
    "      red-cyan              red-cyan glasses; grey levels\n"
    "      red-cyan-colour       red-cyan glasses; full colour, but saturated reds and\n"
    "                            blues differ between the eyes and shimmer\n"
    "      red-cyan-half-colour  red-cyan glasses; grey for the red eye, colour for the\n"
    "                            other: some colour with less shimmer\n"
    "      red-cyan-optimised    red-cyan glasses; least-squares colours (Dubois): the\n"
    "                            most colour with the least shimmer and ghosting\n"
    "  --swap-eyes         the first photograph behind the red filter instead of the\n"
    "                      second (--anaglyph and --swap-eyes need an anaglyph build)\n"
    "  --shift PX          the stereo window: moves the right eye's view PX result pixels\n"
    "                      to the right (to the left when negative); a positive shift\n"
    "                      puts the scene further behind the frame. The columns it\n"
    "                      uncovers are white.\n"
    "  --crop-common       keeps only the largest rectangle in which both eyes see their\n"
    "                      photographs (after the shift)\n"
    "  --stereo-format FORMAT  what a PNG, TIFF or BMP result holds:\n"
    "      anaglyph              the anaglyph (the default)\n"
    "      side-by-side          left view | right view, for parallel viewing\n"
    "      side-by-side-crossed  right view | left view, for cross-eyed viewing\n"
    "      over-under            the left view above the right view\n"
    "      side-by-side-half     both views squeezed to half width side by side in one\n"
    "                            frame of the build's size, for 3D televisions\n"
    "                      The left eye is the one behind the red filter: photograph 2,\n"
    "                      or photograph 1 with --swap-eyes. (--shift, --crop-common,\n"
    "                      --stereo-format and .jps/.mpo need an anaglyph build.)\n"
    "  --threads N         threads to use (default: every core)\n"
    "  --timing            print the rendering time as 'render: N ms' on standard error\n"
    "  -o OUT              the result file\n\n"
    "A progress bar is shown on standard error when it is a terminal. Ctrl+C stops the\n"
    "build without writing a file (exit status 130).\n\n"
    "Exit status: 0 written, 1 an input is wrong or the build failed, 2 usage error,\n"
    "130 interrupted.\n";

// Far more than any processor this runs on has cores; more would only cost.
constexpr int kMaxThreads = 256;

// Refuses, before any work, an output that cannot or must not be written:
// a folder, a device, a FIFO, a file the user may not write, one of the
// build's own inputs.
void CheckOutput(const std::string& output, const std::vector<std::string>& inputs) {
  if (const auto refusal = CheckOutputTarget(output, inputs)) throw VeskError(refusal->Text + ": " + kResultNotWritten);
}

// A stereo pair file holds the two views of an anaglyph build, laid out its
// own way.
void CheckStereoPairOutput(const std::string& output, BuildMode mode, bool formatGiven) {
  if (!qt::IsStereoPairFileName(output)) return;
  if (!TraitsOf(mode).Anaglyph)
    throw UsageError(
        ".jps and .mpo files hold the two views of an anaglyph build: --build anaglyph-second, anaglyph-first or "
        "anaglyph-scene, or --mode 2, 3, 6 or 11");
  if (formatGiven)
    throw UsageError("--stereo-format lays out a PNG, TIFF or BMP result; a .jps or .mpo file has its own layout");
}

int RunRender(Arguments& args, CliEnvironment& env) {
  const std::optional<std::string> output = args.Value("-o");
  const std::optional<int> threads = args.Integer("--threads");
  const bool timing = args.Flag("--timing");
  // Two ways of describing one build; both end in the same render input.
  const std::optional<std::string> project = args.Value("--project");
  std::optional<ProjectBuildOptions> projectOptions;
  RenderInput input;
  if (project) {
    projectOptions = ReadProjectBuildOptions(args, *project);
    projectOptions->Format = DataFileFormat(args, env);
    projectOptions->Threads = threads.value_or(0);
  } else
    input = ReadExplicitRenderInput(args);
  args.Finish();
  if (!output) throw UsageError("missing option -o OUT");
  if (threads && (*threads < 1 || *threads > kMaxThreads))
    throw UsageError("option --threads takes a number of threads from 1 to " + std::to_string(kMaxThreads));
  if (projectOptions)
    CheckStereoPairOutput(*output, static_cast<BuildMode>(projectOptions->Mode), projectOptions->StereoFormatGiven);
  else
    CheckStereoPairOutput(*output, input.Request.Mode, input.StereoFormatGiven);
  CheckOutput(*output, projectOptions ? ProjectInputFiles(*projectOptions) : std::vector{input.Photo1, input.Photo2});
  if (projectOptions) input = RenderInputFromProject(*projectOptions, env);

  const CancelToken cancel(env.Interrupted);
  qt::SharedPhoto photo1, photo2;
  if (!input.StereoPhoto.empty()) {
    std::tie(photo1, photo2) = LoadStereoPhotographOrThrow(input.StereoPhoto, cancel);
  } else {
    photo1 = LoadPhotographOrThrow(input.Photo1, cancel);
    photo2 = LoadPhotographOrThrow(input.Photo2, cancel);
  }
  RenderOptions options;
  options.Threads = threads.value_or(0);
  const bool pairFile = qt::IsStereoPairFileName(*output);
  const auto start = std::chrono::steady_clock::now();
  RenderOutcome outcome;
  EyeViewsOutcome pair;
  {
    TerminalProgress progress(env.Err, env.ErrIsTerminal, "render");
    if (pairFile) {
      pair = RenderStereoPair(input.Request, *photo1, *photo2, progress, cancel, options);
      outcome.Status = pair.Status;
    } else {
      outcome = RenderStereoBuild(input.Request, *photo1, *photo2, progress, cancel, options);
    }
    progress.Close();
  }
  const auto elapsed = std::chrono::steady_clock::now() - start;
  if (timing)
    env.Err << "render: " << std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count() << " ms\n";
  switch (outcome.Status) {
    case RenderStatus::Cancelled:
      throw Interrupted();
    case RenderStatus::Failed:
      env.Err << "vesk-cli render: " << kRenderArithmeticFault << "\n";
      return kExitInputError;
    case RenderStatus::Completed:
      break;
  }
  if (pairFile ? pair.Views.Left.Empty() : outcome.Result.Empty()) throw VeskError(kResultEmpty);
  TerminalProgress writing(env.Err, env.ErrIsTerminal, "write");
  const qt::ImageSave saved = pairFile ? qt::WriteStereoPair(pair.Views, *output, writing, cancel)
                                       : qt::WriteImageFile(outcome.Result, *output, writing, cancel);
  writing.Close();
  if (saved.Status == qt::SaveStatus::Cancelled) throw Interrupted();
  if (saved.Status == qt::SaveStatus::Failed) throw VeskError(saved.Reason + ": " + kResultNotWritten);
  return kExitSuccess;
}

}  // namespace

Command RenderCommand() {
  return Command{"render", "build a transformed image or an anaglyph of two photographs", kHelp, RunRender};
}

}  // namespace vesk::cli
