#include <string>
#include <vector>

#include "CliErrors.h"
#include "InputFiles.h"
#include "Json.h"
#include "OptionValues.h"
#include "commands/Commands.h"
#include "common/VeskError.h"
#include "model/BuildMode.h"
#include "orientation/OrientationInputs.h"
#include "orientation/OrientationTransforms.h"

namespace vesk::cli {
namespace {

constexpr const char* kHelp =
    "Usage: vesk-cli orient --mode N --cam1 C1 --ort1 O1 --cam2 C2 --ort2 O2\n"
    "                       [--convention mathematical|photogrammetric|laboratory]\n"
    "                       [--decimal-separator C] [--json]\n\n"
    "Derives the plane projective transformations of build mode N (0 to 11) from\n"
    "two calibration files (.cam, each with its correction table) and two\n"
    "shooting-geometry files (.ort), as an orientation build hands them to the\n"
    "rendering job. Each list holds the coefficients a0 a1 a2 c0 c1 b0 b1 b2 of\n"
    "x' = (a0 x + a1 y + a2) / (c0 x + c1 y + 1), y' = (b0 x + b1 y + b2) / (c0 x + c1 y + 1):\n"
    "  0, 2, 7   list 1: image plane 2 to image plane 1\n"
    "  1, 3, 8   list 1: image plane 1 to image plane 2\n"
    "  4         list 1: image plane 1 to scene plane\n"
    "  5         list 1: image plane 2 to scene plane\n"
    "  6         list 1: image plane 1 to scene plane; list 2: scene plane to image plane 2\n"
    "  9         list 1: scene plane to image plane 1\n"
    "  10        list 1: scene plane to image plane 2\n"
    "  11        list 1: scene plane to image plane 1; list 2: scene plane to image plane 2\n"
    "Image-plane coordinates of pixel (column c, row r): x = c - CentreX,\n"
    "y = (CentreY - r) / k, with k the camera's correction value.\n\n"
    "Options:\n"
    "  --mode N                build mode, 0 to 11\n"
    "  --cam1, --cam2 FILE     calibration files of photographs 1 and 2\n"
    "  --ort1, --ort2 FILE     shooting-geometry files of photographs 1 and 2\n"
    "  --convention NAME       where the rotation comes from: mathematical (the\n"
    "                          matrix, default), photogrammetric or laboratory angles\n"
    "  --decimal-separator C   decimal separator of the data files (default: the\n"
    "                          locale's)\n"
    "  --json                  one JSON object: {\"list1\": [8 numbers], \"list2\": [8\n"
    "                          numbers or none], \"automatic_step\": s,\n"
    "                          \"correction_values\": [k1, k2]}\n\n"
    "The automatic step is the mean over both photographs of D / f, the scene size\n"
    "of one pixel at the sighting distance (null when a focal length is 0).\n\n"
    "Exit status: 0 success, 1 a file cannot be read or the computation fails,\n"
    "2 usage error.\n";

std::vector<double> Coefficients(const VT_Points& list) {
  std::vector<double> values;
  for (int i = 0; i < list.Count(); ++i) values.push_back(list.Get(i)->X);
  return values;
}

std::string PlainList(const VT_Points& list) {
  std::string text;
  for (const double value : Coefficients(list)) text += " " + JsonNumber(value);
  return text;
}

int RunOrient(Arguments& args, CliEnvironment& env) {
  const bool json = args.Flag("--json");
  const NumberFormat format = DataFileFormat(args, env);
  const int mode = Arguments::ToInteger("--mode", args.RequiredValue("--mode"));
  if (!IsValidBuildMode(mode)) throw UsageError("--mode takes a build mode from 0 to 11");
  const std::string cam1 = args.RequiredValue("--cam1");
  const std::string ort1 = args.RequiredValue("--ort1");
  const std::string cam2 = args.RequiredValue("--cam2");
  const std::string ort2 = args.RequiredValue("--ort2");
  const CoordinateConvention convention = ParseConvention(args.Value("--convention").value_or("mathematical"));
  args.Finish();

  OrientationInputs inputs;
  if (const auto failure = ReadOrientationInputs({cam1, ort1, cam2, ort2}, inputs, format)) throw ReadError(*failure);

  OrientationBuildRequest request;
  request.Mode = static_cast<BuildMode>(mode);
  request.Convention = convention;
  request.AreaStep = 1;  // no scene walk follows; only the transformations are asked for
  OrientationBuildResult result;
  if (const auto message = ComputeOrientationBuild(request, inputs, format, result)) throw VeskError(message->Text);

  double step = 0;
  bool hasStep = true;
  try {
    step = AutomaticStep(inputs.Shooting1, inputs.Camera1, inputs.Shooting2, inputs.Camera2);
  } catch (const VeskError&) {
    hasStep = false;
  }

  if (json) {
    env.Out << "{\"list1\": " << JsonNumberArray(Coefficients(result.List1))
            << ", \"list2\": " << JsonNumberArray(Coefficients(result.List2))
            << ", \"automatic_step\": " << (hasStep ? JsonNumber(step) : "null")
            << ", \"correction_values\": " << JsonNumberArray({result.CorrectionValue1, result.CorrectionValue2})
            << "}\n";
  } else {
    env.Out << "list 1:" << PlainList(result.List1) << "\n";
    if (result.List2.Count() > 0) env.Out << "list 2:" << PlainList(result.List2) << "\n";
    env.Out << "automatic step: " << (hasStep ? JsonNumber(step) : "none") << "\n"
            << "correction values: " << JsonNumber(result.CorrectionValue1) << " "
            << JsonNumber(result.CorrectionValue2) << "\n";
  }
  return kExitSuccess;
}

}  // namespace

Command OrientCommand() {
  return Command{"orient", "derive the transformations of a build mode from orientation files", kHelp, RunOrient};
}

}  // namespace vesk::cli
