#include "commands/RenderInputs.h"

#include <sstream>
#include <string>
#include <vector>

#include "CliErrors.h"
#include "OptionValues.h"
#include "model/BuildMode.h"
#include "model/BuildModeTraits.h"
#include "render/AnaglyphMethod.h"
#include "render/StereoFormat.h"

namespace vesk::cli {

namespace {

std::string Number(double value) {
  std::ostringstream text;
  text << value;
  return text.str();
}

// --area XMIN XMAX YMIN YMAX into `area`, when given; false when not.
bool ReadArea(Arguments& args, BuildArea& area) {
  const auto bounds = args.Numbers("--area", 4);
  if (!bounds) return false;
  area.XMin = (*bounds)[0];
  area.XMax = (*bounds)[1];
  area.YMin = (*bounds)[2];
  area.YMax = (*bounds)[3];
  if (const auto axis = ReversedAreaAxis(area)) {
    const bool x = *axis == 'x';
    throw UsageError(std::string("option --area: ") + (x ? "XMIN " : "YMIN ") + Number(x ? area.XMin : area.YMin) +
                     " is not below " + (x ? "XMAX " : "YMAX ") + Number(x ? area.XMax : area.YMax));
  }
  return true;
}

// Options the chosen build does not use are refused rather than ignored.
void RefuseUnused(const std::vector<const char*>& given, const std::string& why) {
  if (given.empty()) return;
  std::string names;
  for (std::size_t i = 0; i < given.size(); ++i)
    names += (i == 0 ? "" : i + 1 == given.size() ? " and " : ", ") + std::string(given[i]);
  throw UsageError("option" + std::string(given.size() > 1 ? "s " : " ") + names + " not used: " + why);
}

constexpr const char* kAreaBuilds =
    "only the builds on the scene plane with interpolation (first-to-plan, second-to-plan, anaglyph-scene; modes 9, "
    "10, 11) have a build area";

double PositiveStep(const std::string& text) {
  const double step = Arguments::ToNumber("--step", text);
  if (!(step > 0)) throw UsageError("option --step: the step must be positive");
  return step;
}

// Eight comma-separated numbers in stored order, kept in the job's order.
JobTransform ParseTransform(const std::string& option, const std::string& text) {
  std::vector<std::string> parts;
  std::stringstream stream(text);
  std::string part;
  while (std::getline(stream, part, ',')) parts.push_back(part);
  if (!text.empty() && text.back() == ',') parts.emplace_back();
  if (parts.size() != 8)
    throw UsageError("option " + option + " takes eight comma-separated coefficients a0,a1,a2,c0,c1,b0,b1,b2");
  std::array<double, 8> stored{};
  for (std::size_t i = 0; i < 8; ++i) {
    std::string trimmed = parts[i];
    trimmed.erase(0, trimmed.find_first_not_of(" \t"));
    trimmed.erase(trimmed.find_last_not_of(" \t") + 1);
    stored[i] = Arguments::ToNumber(option, trimmed);
  }
  return JobTransformFromStored(stored);
}

// --anaglyph METHOD and --swap-eyes, which only the anaglyph modes take.
AnaglyphChoice ReadAnaglyphChoice(Arguments& args, BuildMode mode) {
  AnaglyphChoice choice;
  const auto method = args.Value("--anaglyph");
  choice.SwapEyes = args.Flag("--swap-eyes");
  if (method) {
    const auto named = AnaglyphMethodNamed(*method);
    if (!named) throw UsageError(std::string("option --anaglyph takes ") + AnaglyphMethodNames());
    choice.Method = *named;
  }
  if ((method || choice.SwapEyes) && !TraitsOf(mode).Anaglyph)
    throw UsageError(
        "--anaglyph and --swap-eyes belong to the anaglyph builds: --build anaglyph-second, anaglyph-first or "
        "anaglyph-scene, or --mode 2, 3, 6 or 11");
  return choice;
}

// --shift PX, --crop-common and --stereo-format NAME, which, like the
// anaglyph's colours, only the anaglyph modes take.
StereoChoice ReadStereoChoice(Arguments& args, BuildMode mode, bool& formatGiven) {
  StereoChoice choice;
  const auto shift = args.Integer("--shift");
  choice.CropCommon = args.Flag("--crop-common");
  const auto format = args.Value("--stereo-format");
  if (shift) choice.Shift = *shift;
  if (format) {
    const auto named = StereoFormatNamed(*format);
    if (!named) throw UsageError(std::string("option --stereo-format takes ") + StereoFormatNames());
    choice.Format = *named;
  }
  formatGiven = format.has_value();
  if ((shift || choice.CropCommon || format) && !TraitsOf(mode).Anaglyph)
    throw UsageError(
        "--shift, --crop-common and --stereo-format belong to the anaglyph builds: --build anaglyph-second, "
        "anaglyph-first or anaglyph-scene, or --mode 2, 3, 6 or 11");
  return choice;
}

}  // namespace

ProjectBuildOptions ReadProjectBuildOptions(Arguments& args, const std::string& project) {
  ProjectBuildOptions options;
  options.Project = project;
  options.By = args.RequiredValue("--by");
  if (options.By != "points" && options.By != "orientation")
    throw UsageError("option --by takes points or orientation");
  const std::string build = args.RequiredValue("--build");
  if (const auto interpolation = args.Value("--interpolation")) {
    if (*interpolation != "on" && *interpolation != "off") throw UsageError("option --interpolation takes on or off");
    options.Interpolation = *interpolation == "on";
  }
  const auto command = BuildCommandNamed(build);
  if (!command)
    throw UsageError(
        "option --build takes first-to-second, second-to-first, first-to-plan, second-to-plan, "
        "anaglyph-second, anaglyph-first or anaglyph-scene");
  options.Command = *command;
  options.Mode = static_cast<int>(ModeFor(*command, options.Interpolation));
  options.Anaglyph = ReadAnaglyphChoice(args, static_cast<BuildMode>(options.Mode));
  options.Stereo = ReadStereoChoice(args, static_cast<BuildMode>(options.Mode), options.StereoFormatGiven);
  if (args.Value("--stereo-photo"))
    throw UsageError("--stereo-photo takes the place of --photo1 and --photo2; a project names its photographs");
  std::vector<const char*> unused;
  if (ReadArea(args, options.Area)) unused.push_back("--area");
  if (const auto step = args.Value("--step")) {
    unused.push_back("--step");
    if (*step == "auto")
      options.AutoStep = true;
    else
      options.Area.Step = PositiveStep(*step);
  }
  if (!TraitsOf(static_cast<BuildMode>(options.Mode)).BuildArea)
    RefuseUnused(unused, "--build " + build + (options.Interpolation ? "" : " --interpolation off") + " walks a " +
                             "photograph's frame; " + kAreaBuilds);
  if (const auto convention = args.Value("--convention")) options.Convention = ParseConvention(*convention);
  options.Sigma = args.Number("--sigma");
  options.MinAngle = args.Number("--min-angle");
  options.MinDistance = args.Number("--min-distance");
  // Options that mean nothing for the chosen way of working are refused
  // rather than silently ignored.
  if (options.By == "points" && options.Convention) throw UsageError("--convention belongs to --by orientation");
  if (options.By == "orientation" && (options.Sigma || options.MinAngle || options.MinDistance))
    throw UsageError("--sigma, --min-angle and --min-distance belong to --by points");
  return options;
}

RenderInput ReadExplicitRenderInput(Arguments& args) {
  RenderInput input;
  const auto photo1 = args.Value("--photo1");
  const auto photo2 = args.Value("--photo2");
  if (const auto stereo = args.Value("--stereo-photo")) {
    if (photo1 || photo2) throw UsageError("--stereo-photo takes the place of --photo1 and --photo2");
    input.StereoPhoto = input.Photo1 = input.Photo2 = *stereo;
  } else {
    if (!photo1) throw UsageError("missing option --photo1 (or --stereo-photo)");
    if (!photo2) throw UsageError("missing option --photo2");
    input.Photo1 = *photo1;
    input.Photo2 = *photo2;
  }
  const auto mode = args.Integer("--mode");
  if (!mode) throw UsageError("missing option --mode (or --project)");
  if (!IsValidBuildMode(*mode)) throw UsageError("option --mode takes a build mode from 0 to 11");
  RenderRequest& request = input.Request;
  request.Mode = static_cast<BuildMode>(*mode);
  request.Anaglyph = ReadAnaglyphChoice(args, request.Mode);
  request.Stereo = ReadStereoChoice(args, request.Mode, input.StereoFormatGiven);
  request.Transform1 = ParseTransform("--transform1", args.RequiredValue("--transform1"));
  const auto second = args.Value("--transform2");
  if (second) {
    if (!TraitsOf(request.Mode).Plan.Second) RefuseUnused({"--transform2"}, "only modes 6 and 11 take a second map");
    request.Transform2 = ParseTransform("--transform2", *second);
  } else if (TraitsOf(request.Mode).Plan.Second) {
    throw UsageError("mode " + std::to_string(*mode) + " needs --transform2");
  }

  const std::string origin = args.Value("--origin").value_or("points");
  if (origin != "points" && origin != "orientation") throw UsageError("option --origin takes points or orientation");
  request.From = origin == "orientation" ? Origin::FromOrientation : Origin::FromReferencePoints;
  const auto centre1 = args.Numbers("--centre1", 2);
  const auto centre2 = args.Numbers("--centre2", 2);
  const auto correction1 = args.Number("--correction1");
  const auto correction2 = args.Number("--correction2");
  if (request.From == Origin::FromReferencePoints && (centre1 || centre2 || correction1 || correction2))
    throw UsageError("--centre1, --centre2, --correction1 and --correction2 need --origin orientation");
  if (centre1) request.Plane1 = ImagePlane{(*centre1)[0], (*centre1)[1], 1.0};
  if (centre2) request.Plane2 = ImagePlane{(*centre2)[0], (*centre2)[1], 1.0};
  if (correction1) request.Plane1.CorrectionValue = *correction1;
  if (correction2) request.Plane2.CorrectionValue = *correction2;

  request.Area = kDefaultBuildArea;
  std::vector<const char*> unused;
  if (ReadArea(args, request.Area)) unused.push_back("--area");
  if (const auto step = args.Value("--step")) {
    unused.push_back("--step");
    request.Area.Step = PositiveStep(*step);
  }
  if (!TraitsOf(request.Mode).BuildArea)
    RefuseUnused(unused, "mode " + std::to_string(*mode) + " walks a photograph's frame; " + kAreaBuilds);
  return input;
}

}  // namespace vesk::cli
