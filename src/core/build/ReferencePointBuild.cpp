#include "build/ReferencePointBuild.h"

#include <utility>
#include <vector>

#include "build/PointCountCheck.h"
#include "common/VeskError.h"
#include "estimation/BuildScale.h"
#include "files/CoordinateFile.h"
#include "model/BuildModeTraits.h"

namespace vesk {
namespace {

BuildFailure StandardError(std::string text, std::string detail = {}) {
  return BuildFailure{BuildFailure::Kind::StandardError, UserMessage{MessageIcon::Error, {}, std::move(text)},
                      std::nullopt, std::move(detail)};
}

BuildFailure ReadFailed(ReadFailure failure) {
  return BuildFailure{BuildFailure::Kind::Message, failure.Message, std::move(failure), {}};
}

}  // namespace

ReferencePointBuild::ReferencePointBuild(ReferencePointSetup setup)
    : setup_(std::move(setup)), mode_(ModeFor(setup_.Command, setup_.Interpolation)) {}

std::optional<BuildFailure> ReferencePointBuild::ReadPointFiles() {
  if (PlanNeedsScene(mode_) && setup_.ScenePath.empty())
    return BuildFailure{BuildFailure::Kind::Message,
                        UserMessage{MessageIcon::Error, kErrorCaption, kSceneFileRequired},
                        std::nullopt,
                        {}};
  const std::pair<const std::string*, VT_Points*> files[] = {
      {&setup_.Points1Path, &points1_}, {&setup_.Points2Path, &points2_}, {&setup_.ScenePath, &scene_}};
  std::vector<CountedPointFile> counts;
  for (const auto& [path, points] : files) {
    if (path->empty()) continue;
    if (auto failure = ReadPointFile(*path, *points, setup_.Format)) return ReadFailed(std::move(*failure));
    // The scene file takes part only in the builds on the scene plane.
    if (points != &scene_ || PlanNeedsScene(mode_)) counts.push_back({*path, points->Count()});
  }
  return CheckPointCounts(counts);
}

std::optional<BuildFailure> ReferencePointBuild::Begin() {
  if (auto failure = ReadPointFiles()) return failure;
  try {
    choice_ = ChooseEstimationMethod(mode_, points1_, points2_);
  } catch (const VeskError& error) {
    return StandardError(error.what());
  }
  return std::nullopt;
}

bool ReferencePointBuild::NeedsBuildArea() const { return TraitsOf(mode_).BuildArea; }

std::optional<BuildFailure> ReferencePointBuild::AcceptBuildArea(BuildAreaFields& fields) {
  if (fields.AreaCancelled) {
    fields.AreaCancelled = false;
    return BuildFailure::Cancelled();
  }
  if (fields.AutoStep) {
    const std::optional<double> step = AutoBuildScale(scene_, points1_, points2_);
    if (!step)
      return BuildFailure{BuildFailure::Kind::Message,
                          UserMessage{MessageIcon::Error, kErrorCaption, kBuildScaleError},
                          std::nullopt,
                          {}};
    fields.Step = *step;
  }
  return std::nullopt;
}

BuildFitInput ReferencePointBuild::FitInput() const {
  return BuildFitInput{mode_,           choice_.Method, points1_,      points2_,      scene_,
                       setup_.Settings, setup_.Photo1,  setup_.Photo2, setup_.Threads};
}

std::optional<BuildFailure> ReferencePointBuild::Fit(ProgressSink* progress, const CancelToken* cancel) {
  if (auto failure = ReadPointFiles()) return failure;
  outcome_ = FitBuildTransformations(FitInput(), primary_, second_, progress, cancel);
  if (cancel != nullptr && cancel->Requested()) return BuildFailure::Cancelled();
  static const char* const kRoles[] = {"primary", "second"};
  for (std::size_t f = 0; f < outcome_.Fits.size(); ++f)
    if (!outcome_.Fits[f].Fitted)
      // The job's creation would fail on the incomplete set with the list's
      // index error: that is what the workspace shows.
      return StandardError(kListIndexError, DescribeFailedFit(outcome_.Fits[f], kRoles[f], choice_.Method));
  return std::nullopt;
}

std::optional<BuildFailure> ReferencePointBuild::MakeRequest(const BuildAreaFields& fields,
                                                             RenderRequest& request) const {
  try {
    request = MakeRenderRequest(primary_, second_, mode_, fields.Area(), ImagePlane{}, ImagePlane{},
                                Origin::FromReferencePoints, setup_.Anaglyph);
  } catch (const VeskError& error) {
    return StandardError(error.what());
  }
  return std::nullopt;
}

std::string DescribeFailedFit(const FitReport& report, const char* role, EstimationMethod method) {
  return std::string("the ") + role + " transformation (" + FitName(report.Fit) + ") was not fitted by " +
         (method == EstimationMethod::LeastSquares ? "least squares" : "the statistical method") + ": " +
         report.Failure;
}

}  // namespace vesk
