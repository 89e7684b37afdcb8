#include "estimation/BuildFit.h"

#include "estimation/LeastSquares.h"
#include "estimation/Stat2DThread.h"
#include "progress/ElapsedTime.h"

namespace vesk {
namespace {

FitReport FitByLeastSquares(const BuildFitInput& input, const PlannedFit& fit, TransformCoefficients& coefficients) {
  const LeastSquaresStatus status =
      FitLeastSquaresWithStatus(PointSet(input, fit.Source), PointSet(input, fit.Target), coefficients);
  FitReport report{fit, status == LeastSquaresStatus::Fitted, true, {}};
  if (!report.Fitted) report.Failure = LeastSquaresStatusText(status);
  return report;
}

FitReport FitByStatistics(const BuildFitInput& input, const PlannedFit& fit, TransformCoefficients& coefficients,
                          const TimeOfDay& start, int& position, ProgressSink* progress, const CancelToken* cancel) {
  Stat2DThread worker(PointSet(input, fit.Source), fit.Source, PointSet(input, fit.Target), fit.Target, coefficients);
  worker.SigmaCount = input.Settings.SigmaCount;
  worker.MinAngle = input.Settings.MinAngle;
  worker.MinDistance = input.Settings.MinDistance;
  worker.Width1 = input.Photo1.Width;
  worker.Height1 = input.Photo1.Height;
  worker.Width2 = input.Photo2.Width;
  worker.Height2 = input.Photo2.Height;
  const int n = SubsetsPerTickPointCount(input.Mode, input.Points1.Count(), input.Points2.Count());
  worker.SubsetsPerTick = SubsetsPerTick(n, ProgressShare(input.Mode));
  worker.StartTime = start;
  worker.Progress = progress;
  worker.ProgressPosition = position;
  worker.Cancel = cancel;
  worker.ThreadCount = input.Threads;
  worker.Analyse();
  position = worker.ProgressPosition;

  FitReport report{fit, worker.Status == StatisticsStatus::Fitted, true, {}};
  if (!report.Fitted) {
    report.Failure = StatisticsStatusText(worker.Status);
    if (worker.Status == StatisticsStatus::EmptyClippingBand)
      report.Failure += " (coefficient " + std::to_string(worker.FailedCoefficient) + ")";
  }
  return report;
}

}  // namespace

bool BuildFitOutcome::AllFitted() const {
  for (const FitReport& fit : Fits)
    if (!fit.Fitted) return false;
  return true;
}

const VT_Points& PointSet(const BuildFitInput& input, PointSetCode code) {
  switch (code) {
    case PointSetCode::FirstPhoto:
      return input.Points1;
    case PointSetCode::SecondPhoto:
      return input.Points2;
    case PointSetCode::Scene:
      break;
  }
  return input.ScenePoints;
}

BuildFitOutcome FitBuildTransformations(const BuildFitInput& input, TransformCoefficients& primary,
                                        TransformCoefficients& second, ProgressSink* progress,
                                        const CancelToken* cancel) {
  const FitPlan plan = FitPlanFor(input.Mode);
  primary.Clear();
  second.Clear();
  BuildFitOutcome outcome;

  if (input.Method == EstimationMethod::LeastSquares) {
    outcome.Fits.push_back(FitByLeastSquares(input, plan.Primary, primary));
    if (plan.Second) outcome.Fits.push_back(FitByLeastSquares(input, *plan.Second, second));
    return outcome;
  }

  if (progress != nullptr) progress->SetPosition(0);
  const TimeOfDay start = CurrentTimeOfDay();
  int position = 0;
  outcome.Fits.push_back(FitByStatistics(input, plan.Primary, primary, start, position, progress, cancel));
  if (plan.Second) {
    const bool cancelled = cancel != nullptr && cancel->Requested();
    outcome.Fits.push_back(
        cancelled ? FitReport{*plan.Second, false, false, StatisticsStatusText(StatisticsStatus::Cancelled)}
                  : FitByStatistics(input, *plan.Second, second, start, position, progress, cancel));
  }
  if (progress != nullptr) progress->SetPosition(100);
  return outcome;
}

}  // namespace vesk
