#pragma once

#include <optional>
#include <string>

#include "build/BuildCommands.h"
#include "build/BuildFailure.h"
#include "estimation/BuildFit.h"
#include "estimation/MethodChoice.h"
#include "estimation/TransformCoefficients.h"
#include "files/NumberFormat.h"
#include "model/VT_Points.h"
#include "progress/ProgressSink.h"
#include "render/RenderRequest.h"

namespace vesk {

// What the reference-point workspace holds when a build command starts.
struct ReferencePointSetup {
  BuildCommand Command = BuildCommand::AnaglyphOnSecond;
  bool Interpolation = true;
  std::string Points1Path;  // reference points in the first photograph
  std::string Points2Path;  // the same points in the second photograph
  std::string ScenePath;    // on the scene plane; may be empty for builds that do not need it
  NumberFormat Format;
  StatisticalSettings Settings;
  PhotoSize Photo1;  // as recorded when the photographs were loaded; 0 x 0 without
  PhotoSize Photo2;
  int Threads = 0;          // for the statistical method; 0 = one per core
  AnaglyphChoice Anaglyph;  // copied into the request; only the anaglyph builds use it
};

// One build by reference points, in the steps the workspace runs it, so that
// the build-area dialog can be asked between them:
//
//   ReferencePointBuild build(setup);
//   if (auto failure = build.Begin()) ...            // mode, scene file, first read, method
//   if (build.NeedsBuildArea()) { dialog; if (auto f = build.AcceptBuildArea(fields)) ... }
//   if (auto failure = build.Fit(progress, cancel)) ... // second read, the fits
//   if (auto failure = build.MakeRequest(fields, request)) ...
//
// The coordinate files are read twice, so a change made while the dialog is
// open is taken up. Each step returns nothing or the failure to show; after
// a failure the build is over. Fit may run on another thread than the
// others (a window keeps repainting); the object must not be used by two
// threads at once.
class ReferencePointBuild {
 public:
  explicit ReferencePointBuild(ReferencePointSetup setup);

  BuildMode Mode() const { return mode_; }
  EstimationMethod Method() const { return choice_.Method; }
  // How Begin chose the method: whether the statistical method was due but
  // had too many subsets to solve, so that the caller can say so.
  const MethodChoice& Choice() const { return choice_; }

  // The scene file check, the first reading of the point files (refused when
  // their point counts differ) and the choice of the estimation method.
  std::optional<BuildFailure> Begin();

  // Whether the build-area dialog is to be asked before the fit.
  bool NeedsBuildArea() const;

  // Takes the dialog's answer: when it was cancelled clears the flag and
  // ends the build (Cancelled); with automatic scaling writes the step
  // derived from the reference points into `fields`.
  std::optional<BuildFailure> AcceptBuildArea(BuildAreaFields& fields);

  // Reads the point files again and fits the mode's transformations. With the
  // statistical method the sink sees the progress from 0 to 100 and the
  // token can stop it (Cancelled). A fit that fails ends the build as the
  // job's creation would: the list's index error in the standard error box.
  std::optional<BuildFailure> Fit(ProgressSink* progress = nullptr, const CancelToken* cancel = nullptr);

  // The rendering job's request from the fitted sets and the workspace's
  // build area (its values as they stand: 0 until the dialog was accepted).
  std::optional<BuildFailure> MakeRequest(const BuildAreaFields& fields, RenderRequest& request) const;

  // What the build read and fitted, for the residuals and the marks.
  const VT_Points& Points1() const { return points1_; }
  const VT_Points& Points2() const { return points2_; }
  const VT_Points& ScenePoints() const { return scene_; }
  const TransformCoefficients& Primary() const { return primary_; }
  const TransformCoefficients& Second() const { return second_; }
  const BuildFitOutcome& Outcome() const { return outcome_; }
  BuildFitInput FitInput() const;

 private:
  std::optional<BuildFailure> ReadPointFiles();

  ReferencePointSetup setup_;
  BuildMode mode_;
  MethodChoice choice_;
  VT_Points points1_{kOwnsItems};
  VT_Points points2_{kOwnsItems};
  VT_Points scene_{kOwnsItems};
  TransformCoefficients primary_{kOwnsItems};
  TransformCoefficients second_{kOwnsItems};
  BuildFitOutcome outcome_;
};

// "the primary transformation (scene -> photo 1) was not fitted by least
// squares: ..." for vesk-cli.
std::string DescribeFailedFit(const FitReport& report, const char* role, EstimationMethod method);

}  // namespace vesk
