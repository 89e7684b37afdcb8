#include "build/OrientationBuild.h"

#include <utility>

#include "model/BuildModeTraits.h"
#include "orientation/OrientationTransforms.h"

namespace vesk {

OrientationBuild::OrientationBuild(OrientationSetup setup)
    : setup_(std::move(setup)), mode_(ModeFor(setup_.Command, setup_.Interpolation)) {}

bool OrientationBuild::NeedsBuildArea() const { return TraitsOf(mode_).BuildArea; }

std::optional<BuildFailure> OrientationBuild::AcceptBuildArea(BuildAreaFields& fields) {
  if (!fields.AreaCancelled) return std::nullopt;
  fields.AreaCancelled = false;
  return BuildFailure::Cancelled();
}

std::optional<BuildFailure> OrientationBuild::ReadFiles() {
  std::optional<ReadFailure> failure = ReadOrientationInputs(setup_.Paths, inputs_, setup_.Format);
  if (!failure) return std::nullopt;
  return BuildFailure{BuildFailure::Kind::Message, failure->Message, std::move(failure), {}};
}

std::optional<BuildFailure> OrientationBuild::MakeRequest(BuildAreaFields& fields, RenderRequest& request) const {
  OrientationBuildRequest asked;
  asked.Mode = mode_;
  asked.Convention = setup_.Convention;
  asked.AutoStep = fields.AutoStep;
  asked.AreaStep = fields.Step;
  OrientationBuildResult result;
  if (auto message = ComputeOrientationBuild(asked, inputs_, setup_.Format, result))
    return BuildFailure{BuildFailure::Kind::Message, *message, std::nullopt, {}};
  fields.Step = result.AreaStep;
  request = MakeRenderRequest(result.List1, result.List2, mode_, fields.Area(),
                              ImagePlane{result.CentreX1, result.CentreY1, result.CorrectionValue1},
                              ImagePlane{result.CentreX2, result.CentreY2, result.CorrectionValue2},
                              Origin::FromOrientation, setup_.Anaglyph);
  return std::nullopt;
}

}  // namespace vesk
