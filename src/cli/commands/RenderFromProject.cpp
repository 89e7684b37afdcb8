#include "CliErrors.h"
#include "InputFiles.h"
#include "MethodNotes.h"
#include "TerminalProgress.h"
#include "build/OrientationBuild.h"
#include "build/ReferencePointBuild.h"
#include "commands/RenderInputs.h"
#include "common/VeskError.h"
#include "files/FileCheck.h"
#include "files/ProjectFile.h"

namespace vesk::cli {
namespace {

// The project's paths, relative ones taken from the project file's folder.
ProjectFields ReadProjectOrThrow(const std::string& path) {
  if (!FileExists(path)) throw VeskError(MissingFileText(path));
  ProjectFields stored;
  if (const auto failure = ReadProject(path, stored)) throw VeskError(path + ": " + failure->Message.Text);
  return ResolveProjectPaths(stored, path);
}

const std::string& RequiredPath(const std::string& project, const std::string& value, const char* key) {
  if (value.empty()) throw VeskError(project + ": " + kInputSetReadError + " (no " + key + ")");
  return value;
}

// A build's failure as vesk-cli reports it: a file and line where one is to
// blame, the English detail where there is one, the user's message otherwise.
[[noreturn]] void ThrowBuildFailure(const BuildFailure& failure, const ProjectBuildOptions& options) {
  if (failure.How == BuildFailure::Kind::Cancelled) throw Interrupted();
  if (failure.Read) throw PointFileError(*failure.Read, options.Format);
  if (!failure.Detail.empty()) throw VeskError(failure.Detail);
  throw VeskError(failure.Message.Text);
}

// The workspace's build-area fields as the command line gives them: the
// dialog accepted with --area and --step.
BuildAreaFields AreaFields(const ProjectBuildOptions& options) {
  const BuildArea& area = options.Area;
  return BuildAreaFields{area.XMin, area.XMax, area.YMin, area.YMax, area.Step, options.AutoStep, false};
}

// As the reference-point workspace builds.
RenderRequest FromReferencePoints(const ProjectBuildOptions& options, const ProjectFields& fields, PhotoSize photo1,
                                  PhotoSize photo2, CliEnvironment& env) {
  ReferencePointSetup setup;
  setup.Command = options.Command;
  setup.Interpolation = options.Interpolation;
  setup.ScenePath = fields.SceneReperPoints;
  setup.Format = options.Format;
  setup.Settings.SigmaCount = options.Sigma.value_or(setup.Settings.SigmaCount);
  setup.Settings.MinAngle = options.MinAngle.value_or(setup.Settings.MinAngle);
  setup.Settings.MinDistance = options.MinDistance.value_or(setup.Settings.MinDistance);
  setup.Photo1 = photo1;
  setup.Photo2 = photo2;
  setup.Threads = options.Threads;
  setup.Anaglyph = options.Anaglyph;
  // Said before any file is read, as the workspace does, and naming the project.
  if (PlanNeedsScene(ModeFor(setup.Command, setup.Interpolation)) && setup.ScenePath.empty())
    throw VeskError(options.Project + ": " + kSceneFileRequired);
  setup.Points1Path = RequiredPath(options.Project, fields.Image1ReperPoints, "Image1ReperPoints");
  setup.Points2Path = RequiredPath(options.Project, fields.Image2ReperPoints, "Image2ReperPoints");
  ReferencePointBuild build(setup);

  BuildAreaFields area = AreaFields(options);
  if (auto failure = build.Begin()) ThrowBuildFailure(*failure, options);
  if (build.Choice().TooManySubsets)
    env.Err << "vesk-cli render: " << TooManySubsetsNote(build.Choice(), build.Points1().Count()) << "\n";
  // Without the dialog an automatic step is never derived.
  if (build.NeedsBuildArea())
    if (auto failure = build.AcceptBuildArea(area)) ThrowBuildFailure(*failure, options);

  TerminalProgress progress(env.Err, env.ErrIsTerminal && build.Method() == EstimationMethod::Statistics,
                            "computing the parameters");
  const CancelToken cancel(env.Interrupted);
  const std::optional<BuildFailure> fitted = build.Fit(&progress, &cancel);
  progress.Close();
  if (fitted) ThrowBuildFailure(*fitted, options);

  RenderRequest request;
  if (auto failure = build.MakeRequest(area, request)) ThrowBuildFailure(*failure, options);
  return request;
}

// As the orientation workspace builds.
RenderRequest FromOrientation(const ProjectBuildOptions& options, const ProjectFields& fields) {
  OrientationSetup setup;
  setup.Command = options.Command;
  setup.Interpolation = options.Interpolation;
  setup.Convention = options.Convention.value_or(CoordinateConvention::Mathematical);
  setup.Paths = OrientationFilePaths{
      RequiredPath(options.Project, fields.Image1IntOrientation, "Image1IntOrientation"),
      RequiredPath(options.Project, fields.Image1ExOrientation, "Image1ExOrientation"),
      RequiredPath(options.Project, fields.Image2IntOrientation, "Image2IntOrientation"),
      RequiredPath(options.Project, fields.Image2ExOrientation, "Image2ExOrientation"),
  };
  setup.Format = options.Format;
  setup.Anaglyph = options.Anaglyph;
  OrientationBuild build(setup);
  BuildAreaFields area = AreaFields(options);
  if (auto failure = build.ReadFiles()) throw ReadError(*failure->Read);
  RenderRequest request;
  if (auto failure = build.MakeRequest(area, request)) throw VeskError(failure->Message.Text);
  return request;
}

}  // namespace

std::vector<std::string> ProjectInputFiles(const ProjectBuildOptions& options) {
  const ProjectFields fields = ReadProjectOrThrow(options.Project);
  std::vector<std::string> files = {options.Project};
  for (const ProjectKey& key : kProjectKeys)
    if (!(fields.*key.Field).empty()) files.push_back(fields.*key.Field);
  return files;
}

// The project form builds exactly what the workspace would for the same
// input set, build menu command and settings.
RenderInput RenderInputFromProject(const ProjectBuildOptions& options, CliEnvironment& env) {
  const ProjectFields fields = ReadProjectOrThrow(options.Project);
  RenderInput input;
  input.Photo1 = RequiredPath(options.Project, fields.Image1, "Image1");
  input.Photo2 = RequiredPath(options.Project, fields.Image2, "Image2");
  if (options.By == "points") {
    // The statistical method's distance test needs the photographs' sizes.
    const PhotoSize photo1 = ReadPhotoSizeOrThrow(input.Photo1);
    const PhotoSize photo2 = ReadPhotoSizeOrThrow(input.Photo2);
    input.Request = FromReferencePoints(options, fields, photo1, photo2, env);
  } else {
    input.Request = FromOrientation(options, fields);
  }
  input.Request.Stereo = options.Stereo;
  input.StereoFormatGiven = options.StereoFormatGiven;
  return input;
}

}  // namespace vesk::cli
