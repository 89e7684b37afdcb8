#include "estimation/Stat2DThread.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <thread>

#include "estimation/SigmaClipping.h"
#include "estimation/SubsetAverages.h"
#include "estimation/SubsetSearch.h"
#include "model/NumericHelpers.h"

namespace vesk {
namespace {

// Ticks fall where the subset counter c, counting 1, 2, ... and restarting
// after each tick, comes within 0.1 of SubsetsPerTick: every `period`
// subsets, or never when no whole number lies that close.
long long TickPeriod(double subsetsPerTick) {
  if (!(subsetsPerTick > 0.5 && subsetsPerTick < 9.0e15)) return 0;
  const double nearest = std::round(subsetsPerTick);
  if (nearest < 1 || !(std::fabs(nearest - subsetsPerTick) < 0.1)) return 0;
  return static_cast<long long>(nearest);
}

int WorkerThreads(int requested) {
  if (requested > 0) return requested;
  const unsigned cores = std::thread::hardware_concurrency();
  return cores == 0 ? 1 : static_cast<int>(cores);
}

}  // namespace

Stat2DThread::Stat2DThread(const VT_Points& sourcePoints, PointSetCode sourceCode, const VT_Points& targetPoints,
                           PointSetCode targetCode, TransformCoefficients& resultList)
    : SourcePoints(sourcePoints),
      TargetPoints(targetPoints),
      SourceCode(sourceCode),
      TargetCode(targetCode),
      ResultList(resultList) {}

double Stat2DThread::SlopeAngle(const VT_Point& p, const VT_Point& q) { return SlopeAngleOf(p.X, p.Y, q.X, q.Y); }

double Stat2DThread::DistanceThreshold(PointSetCode code) const {
  switch (code) {
    case PointSetCode::FirstPhoto:
      return std::sqrt(Width1 * Width1 + Height1 * Height1) * MinDistance;
    case PointSetCode::SecondPhoto:
      return std::sqrt(Width2 * Width2 + Height2 * Height2) * MinDistance;
    case PointSetCode::Scene:
      break;
  }
  return -1;  // scene-plane points get no distance test
}

void Stat2DThread::ProgressTick() {
  ++ProgressPosition;
  if (Progress == nullptr) return;
  Progress->SetPosition(ProgressPosition);
  Progress->SetElapsedText(ElapsedTimeText(StartTime, CurrentTimeOfDay()));
}

void Stat2DThread::Fail(StatisticsStatus status) {
  Status = status;
  samples_.Clear();
  ProgressPosition = 0;
  if (Progress != nullptr) Progress->SetPosition(0);
}

void Stat2DThread::Analyse() {
  samples_.Clear();
  SolvedCount = 0;
  FailedCoefficient = -1;
  const int n = TargetPoints.Count();
  if (n < 4) return Fail(StatisticsStatus::NoSubsetSolved);  // nothing to enumerate
  if (SourcePoints.Count() < n) return Fail(StatisticsStatus::SourceTooShort);

  const SubsetPointTable target = PrepareSubsetPointTable(TargetPoints, n, DistanceThreshold(TargetCode));
  const SubsetPointTable source = PrepareSubsetPointTable(SourcePoints, n, DistanceThreshold(SourceCode));
  const long long period = TickPeriod(SubsetsPerTick);
  long long ticks = 0;
  // A stop request is looked at before every tick, so none follows it.
  const auto stopped = [this] { return Cancel != nullptr && Cancel->Requested(); };
  const auto progress = [&](long long enumerated) {
    if (period > 0)
      for (; ticks < enumerated / period; ++ticks) {
        if (stopped()) return false;
        ProgressTick();
      }
    return !stopped();
  };
  const double minAngle = MinAngle * kPi * (1.0 / 180);
  SubsetAveragingSettings settings;
  settings.SigmaCount = SigmaCount;
  settings.MemoryBudget = MemoryBudget;
  settings.Search.Threads = WorkerThreads(ThreadCount);
  SubsetAverages averages;
  try {
    averages = AverageSubsetSolutions(SubsetSearcher(source, target, minAngle), settings, progress);
  } catch (const std::bad_alloc&) {
    return Fail(StatisticsStatus::OutOfMemory);
  }
  if (!averages.Completed) return Fail(StatisticsStatus::Cancelled);
  // Past two thousand million solutions (some 700 points) the count no
  // longer fits; it stays at the largest it can show.
  SolvedCount = static_cast<int>(std::min<long long>(averages.SolvedCount, std::numeric_limits<int>::max()));
  if (SolvedCount == 0) return Fail(StatisticsStatus::NoSubsetSolved);

  for (int q = 0; q < kCoefficientCount; ++q) {
    const ClippedMean& average = averages.Coefficients[static_cast<std::size_t>(q)];
    Mean = average.Mean;
    StdDev = average.StdDev;
    if (!average.Value) {
      FailedCoefficient = q;
      return Fail(StatisticsStatus::EmptyClippingBand);
    }
    ResultList.Add(new VT_Point(*average.Value, 0));
  }
  samples_.Clear();
  Status = StatisticsStatus::Fitted;
}

const char* StatisticsStatusText(StatisticsStatus status) {
  switch (status) {
    case StatisticsStatus::NotRun:
      return "not run";
    case StatisticsStatus::Fitted:
      return "fitted";
    case StatisticsStatus::NoSubsetSolved:
      return "no admissible four-point subset (fewer than four points, or every subset rejected by the distance "
             "and angle tests or unsolvable)";
    case StatisticsStatus::SourceTooShort:
      return "the source point list is shorter than the target point list";
    case StatisticsStatus::EmptyClippingBand:
      return "no sample of a coefficient lies inside the sigma-clipping band";
    case StatisticsStatus::Cancelled:
      return "cancelled";
    case StatisticsStatus::OutOfMemory:
      return "not enough memory for the solutions of all four-point subsets";
  }
  return "unknown failure";
}

}  // namespace vesk
