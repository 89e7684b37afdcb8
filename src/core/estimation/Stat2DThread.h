#pragma once

#include "estimation/FitPlan.h"
#include "estimation/SampleStore.h"
#include "estimation/SubsetAverages.h"
#include "estimation/TransformCoefficients.h"
#include "model/VT_Points.h"
#include "progress/ElapsedTime.h"
#include "progress/ProgressReporter.h"

namespace vesk {

// How a statistical analysis ended.
enum class StatisticsStatus {
  NotRun,
  Fitted,
  NoSubsetSolved,     // fewer than four points, or every subset rejected or unsolvable
  SourceTooShort,     // fewer source points than target points
  EmptyClippingBand,  // no sample of a coefficient inside mean ± SigmaCount · stddev
  Cancelled,          // the progress reporter asked to stop
  OutOfMemory,        // too many solved subsets to keep
};

// The statistical estimation of one transformation: every four-point subset
// whose points are far enough apart and on lines of different enough
// direction, in both lists, is solved exactly; each coefficient is then the
// sigma-clipped mean of its solutions. Runs synchronously in Analyse (the
// name is historical; the subset search shares its work among threads but
// returns only when done).
class Stat2DThread {
 public:
  Stat2DThread(const VT_Points& sourcePoints, PointSetCode sourceCode, const VT_Points& targetPoints,
               PointSetCode targetCode, TransformCoefficients& resultList);

  const VT_Points& SourcePoints;
  const VT_Points& TargetPoints;
  PointSetCode SourceCode;
  PointSetCode TargetCode;
  // Receives the eight averaged coefficients; only appended to, the caller
  // empties it beforehand. Fewer than eight after Analyse means failure.
  TransformCoefficients& ResultList;

  double SigmaCount = 3;     // half-width of the clipping band, in standard deviations
  double MinAngle = 10;      // degrees between lines through subset points
  double MinDistance = 0.1;  // between subset points, as a fraction of the photograph's diagonal
  double Width1 = 0;         // photograph sizes in pixels; 0 when unknown (no distance test)
  double Height1 = 0;
  double Width2 = 0;
  double Height2 = 0;
  double SubsetsPerTick = 1;  // enumerated subsets per progress step
  TimeOfDay StartTime;        // start of the build, for the elapsed-time text
  ProgressReporter* Progress = nullptr;
  int ThreadCount = 0;  // worker threads for the subset search; 0 = one per core
  // Memory for the solutions beyond the points; past it they are computed
  // again for each sum instead of kept, with the same result.
  std::size_t MemoryBudget = kDefaultStatisticsMemoryBudget;

  int SolvedCount = 0;
  double Mean = 0;  // working values of the coefficient averaged last
  double StdDev = 0;
  StatisticsStatus Status = StatisticsStatus::NotRun;
  int FailedCoefficient = -1;  // with EmptyClippingBand: the coefficient index

  void Analyse();

  // The geometric test of one subset of one list: all six distances at least
  // the photograph's threshold (not for scene points), and the four
  // direction differences at least MinAngle.
  bool SubsetAcceptable(const VT_Points& points, int a, int b, int c, int d, PointSetCode code) const;

  static double SlopeAngle(const VT_Point& p, const VT_Point& q);

  // Solves items 0..3 of the two lists exactly; on success appends the
  // eight coefficients to the samples.
  bool SolveFourPoints(const VT_Points& source4, const VT_Points& target4);

  // Advances the progress position by one and refreshes the elapsed time.
  void ProgressTick();

  // The samples collected so far (empty again after Analyse).
  const SampleStore& Samples() const { return samples_; }

 private:
  double DistanceThreshold(PointSetCode code) const;
  void Fail(StatisticsStatus status);

  SampleStore samples_;
};

// A short English explanation for reports.
const char* StatisticsStatusText(StatisticsStatus status);

}  // namespace vesk
