#pragma once

// estimation/: plane projective transformations from reference points: least
// squares, the method choice, the statistical four-point method, the
// automatic step and a build's whole fit plan. Includes model/, progress/
// and the standard library.

#include <string>
#include <vector>

#include "estimation/FitPlan.h"
#include "estimation/MethodChoice.h"
#include "estimation/TransformCoefficients.h"
#include "model/BuildMode.h"
#include "model/VT_Points.h"
#include "progress/ProgressSink.h"

namespace vesk {

// Shown when a build whose plan involves the scene has no scene point file.
inline constexpr const char* kSceneFileRequired = "Укажите файл координат точек сцены!";

// The statistical method's thresholds, edited in the settings dialog.
struct StatisticalSettings {
  double SigmaCount = 3;     // half-width of the clipping band in standard deviations
  double MinAngle = 10;      // degrees
  double MinDistance = 0.1;  // fraction of the photograph's diagonal
};

// A photograph's size in pixels; 0 x 0 while no photograph is loaded.
struct PhotoSize {
  double Width = 0;
  double Height = 0;
};

// Everything a build's fit needs. The lists are read only; the scene list is
// used only by the modes whose plan involves the scene.
struct BuildFitInput {
  BuildMode Mode;
  EstimationMethod Method;
  const VT_Points& Points1;  // reference points in the first photograph
  const VT_Points& Points2;  // the same points in the second photograph
  const VT_Points& ScenePoints;
  StatisticalSettings Settings;
  PhotoSize Photo1;
  PhotoSize Photo2;
  int Threads = 0;  // statistical subset search; 0 = one per core
};

// How one transformation of the plan came out.
struct FitReport {
  PlannedFit Fit;
  bool Fitted = false;
  bool Started = true;  // false for a fit skipped because the build was cancelled
  std::string Failure;  // why not, in English; empty when fitted
};

struct BuildFitOutcome {
  std::vector<FitReport> Fits;  // plan order: primary first, then the second set
  bool AllFitted() const;
};

// Runs the mode's whole fit plan with the chosen method: empties `primary`
// and `second`, then fits the primary set and, for the scene-based anaglyphs,
// the second set, one after the other. Both fits are attempted even when the
// first fails; a failed fit leaves its set with fewer than eight items (none
// for least squares). With the statistical method the progress position goes
// to 0 at the start, advances about a hundred steps over the whole plan and
// ends at 100, and every step also brings the elapsed time since the start
// ("h : m : s"); the calls arrive on the calling thread. A cancellation
// request ends the fit running as failed and the plan's remaining fit is
// not started (its report says it was skipped).
// Raises VeskError only for an unknown mode.
BuildFitOutcome FitBuildTransformations(const BuildFitInput& input, TransformCoefficients& primary,
                                        TransformCoefficients& second, ProgressSink* progress = nullptr,
                                        const CancelToken* cancel = nullptr);

// The list that plays `code` in `input`.
const VT_Points& PointSet(const BuildFitInput& input, PointSetCode code);

}  // namespace vesk
