#include "CliErrors.h"
#include "InputFiles.h"
#include "TerminalProgress.h"
#include "commands/RenderInputs.h"
#include "common/VeskError.h"
#include "estimation/BuildFit.h"
#include "estimation/BuildScale.h"
#include "files/FileCheck.h"
#include "files/ProjectFile.h"
#include "orientation/OrientationTransforms.h"

namespace vesk::cli {
namespace {

// The project's paths, relative ones taken from the project file's folder.
ProjectFields ReadProjectOrThrow(const std::string& path) {
  if (!FileExists(path)) throw VeskError(MissingFileMessage(path));
  CliDialogs dialogs;
  ProjectFields stored;
  if (!ReadProject(path, stored, dialogs)) throw VeskError(path + ": " + dialogs.LastText());
  return ResolveProjectPaths(stored, path);
}

const std::string& RequiredPath(const std::string& project, const std::string& value, const char* key) {
  if (value.empty()) throw VeskError(project + ": " + kInputSetReadError + " (no " + key + ")");
  return value;
}

std::string DescribeFailedFit(const FitReport& report, const char* role, EstimationMethod method) {
  return std::string("the ") + role + " transformation (" + FitName(report.Fit) + ") was not fitted by " +
         (method == EstimationMethod::LeastSquares ? "least squares" : "the statistical method") + ": " +
         report.Failure;
}

// As the reference-point workspace builds: read the three point files, let
// the points choose the method, take the automatic step when asked, fit the
// mode's plan.
RenderRequest FromReferencePoints(const ProjectBuildOptions& options, const ProjectFields& fields, PhotoSize photo1,
                                  PhotoSize photo2, CliEnvironment& env) {
  const auto mode = static_cast<BuildMode>(options.Mode);
  if (PlanNeedsScene(mode) && fields.SceneReperPoints.empty())
    throw VeskError(options.Project + ": " + kSceneFileRequired);
  VT_Points points1(kOwnsItems);
  VT_Points points2(kOwnsItems);
  VT_Points scene(kOwnsItems);
  ReadPointsOrThrow(RequiredPath(options.Project, fields.Image1ReperPoints, "Image1ReperPoints"), points1,
                    options.Format);
  ReadPointsOrThrow(RequiredPath(options.Project, fields.Image2ReperPoints, "Image2ReperPoints"), points2,
                    options.Format);
  if (!fields.SceneReperPoints.empty()) ReadPointsOrThrow(fields.SceneReperPoints, scene, options.Format);

  const EstimationMethod method = SelectEstimationMethod(points1, points2);
  BuildArea area = options.Area;
  if (options.AutoStep && IsBuildAreaMode(options.Mode)) {
    const std::optional<double> step = AutoBuildScale(scene, points1, points2);
    if (!step) throw VeskError(kBuildScaleError);
    area.Step = *step;
  }

  StatisticalSettings settings;
  settings.SigmaCount = options.Sigma.value_or(settings.SigmaCount);
  settings.MinAngle = options.MinAngle.value_or(settings.MinAngle);
  settings.MinDistance = options.MinDistance.value_or(settings.MinDistance);
  const BuildFitInput input{mode, method, points1, points2, scene, settings, photo1, photo2, options.Threads};
  TransformCoefficients primary(kOwnsItems);
  TransformCoefficients second(kOwnsItems);
  TerminalProgress progress(env.Err, env.ErrIsTerminal && method == EstimationMethod::Statistics,
                            "computing the parameters");
  const CancelToken cancel(env.Interrupted);
  const BuildFitOutcome outcome = FitBuildTransformations(input, primary, second, &progress, &cancel);
  progress.Close();
  if (cancel.Requested()) throw Interrupted();
  static const char* const kRoles[] = {"primary", "second"};
  for (std::size_t f = 0; f < outcome.Fits.size(); ++f)
    if (!outcome.Fits[f].Fitted) throw VeskError(DescribeFailedFit(outcome.Fits[f], kRoles[f], method));

  return MakeRenderRequest(primary, second, options.Mode, area, ImagePlane{}, ImagePlane{},
                           Origin::FromReferencePoints);
}

// As the orientation workspace builds: read the two calibration and the two
// shooting-geometry files, derive the mode's maps in the chosen convention.
RenderRequest FromOrientation(const ProjectBuildOptions& options, const ProjectFields& fields) {
  const OrientationFilePaths paths{
      RequiredPath(options.Project, fields.Image1IntOrientation, "Image1IntOrientation"),
      RequiredPath(options.Project, fields.Image1ExOrientation, "Image1ExOrientation"),
      RequiredPath(options.Project, fields.Image2IntOrientation, "Image2IntOrientation"),
      RequiredPath(options.Project, fields.Image2ExOrientation, "Image2ExOrientation"),
  };
  CliDialogs dialogs;
  OrientationInputs inputs;
  ReadFailure failure;
  std::string failedPath;
  if (!ReadOrientationInputs(paths, inputs, options.Format, dialogs, &failure, &failedPath)) {
    if (failure.Line > 0) failedPath += ":" + std::to_string(failure.Line);
    throw VeskError(failedPath + ": " + failure.Message);
  }
  OrientationBuildRequest request;
  request.Mode = options.Mode;
  request.Convention = options.Convention.value_or(CoordinateConvention::Mathematical);
  request.AutoStep = options.AutoStep;
  request.AreaStep = options.Area.Step;
  OrientationBuildResult result;
  if (!ComputeOrientationBuild(request, inputs, options.Format, result, dialogs)) throw VeskError(dialogs.LastText());

  BuildArea area = options.Area;
  area.Step = result.AreaStep;
  return MakeRenderRequest(result.List1, result.List2, options.Mode, area,
                           ImagePlane{result.CentreX1, result.CentreY1, result.CorrectionValue1},
                           ImagePlane{result.CentreX2, result.CentreY2, result.CorrectionValue2},
                           Origin::FromOrientation);
}

}  // namespace

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
  return input;
}

}  // namespace vesk::cli
