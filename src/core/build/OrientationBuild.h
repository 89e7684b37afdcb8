#pragma once

#include <optional>

#include "build/BuildCommands.h"
#include "build/BuildFailure.h"
#include "files/NumberFormat.h"
#include "orientation/CameraModel.h"
#include "orientation/OrientationInputs.h"
#include "render/RenderRequest.h"

namespace vesk {

// What the orientation workspace holds when a build command starts.
struct OrientationSetup {
  BuildCommand Command = BuildCommand::AnaglyphOnSecond;
  bool Interpolation = true;
  CoordinateConvention Convention = CoordinateConvention::Mathematical;
  OrientationFilePaths Paths;
  NumberFormat Format;
  AnaglyphChoice Anaglyph;  // copied into the request; only the anaglyph builds use it
};

// One build by orientation, in the workspace's steps:
//
//   OrientationBuild build(setup);
//   if (build.NeedsBuildArea()) { dialog; if (auto f = build.AcceptBuildArea(fields)) ... }
//   if (auto failure = build.ReadFiles()) ...        // the reader's message
//   (the workspace shows "Построение изображения" here)
//   if (auto failure = build.MakeRequest(fields, request)) ...  // "Внутренняя ошибка! ..."
//
// The files are read in the order the first calibration, the second, the
// first shooting geometry, the second, stopping at the first failure.
class OrientationBuild {
 public:
  explicit OrientationBuild(OrientationSetup setup);

  BuildMode Mode() const { return mode_; }
  bool NeedsBuildArea() const;

  // Takes the build-area dialog's answer: when it was cancelled clears the
  // flag and ends the build (Cancelled).
  std::optional<BuildFailure> AcceptBuildArea(BuildAreaFields& fields);

  std::optional<BuildFailure> ReadFiles();

  // Derives the mode's maps in the convention, the step (written into
  // `fields` as the workspace's step: the automatic one when it was asked
  // for) and both photographs' image planes. A step that is not a finite
  // positive number, or any arithmetic fault, fails with the build's
  // internal-error message.
  std::optional<BuildFailure> MakeRequest(BuildAreaFields& fields, RenderRequest& request) const;

  const OrientationInputs& Inputs() const { return inputs_; }

 private:
  OrientationSetup setup_;
  BuildMode mode_;
  OrientationInputs inputs_;
};

}  // namespace vesk
