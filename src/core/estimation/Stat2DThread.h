#pragma once

#include "estimation/FitPlan.h"
#include "estimation/SampleStore.h"
#include "estimation/SubsetAverages.h"
#include "estimation/TransformCoefficients.h"
#include "model/VT_Points.h"
#include "progress/ElapsedTime.h"
#include "progress/ProgressSink.h"

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
  // Where the ticks go. The analysis counts the position itself, starting
  // from ProgressPosition (where the bar stands when it begins); a failure
  // puts it back to 0. Calls arrive on the thread that runs Analyse.
  ProgressSink* Progress = nullptr;
  int ProgressPosition = 0;
  // Asked between blocks of subsets; a request ends the analysis as Cancelled.
  const CancelToken* Cancel = nullptr;
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

  // Direction of the line through two points, blind to the sign of the
  // slope: atan(|dy| / |dx|), and pi for a vertical line.
  static double SlopeAngle(const VT_Point& p, const VT_Point& q);

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
