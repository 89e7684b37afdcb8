#include "estimation/SubsetSearch.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>

#include "model/NumericHelpers.h"

#include "estimation/FourPointSolver.h"

namespace vesk {
namespace {


long long PairCount(long long n) { return n >= 2 ? n * (n - 1) / 2 : 0; }

struct SharedState {
  std::atomic<int> NextTask{0};
  std::atomic<long long> Enumerated{0};
  std::atomic<bool> Stop{false};
  std::mutex Mutex;
  std::condition_variable Finished;
  int RunningWorkers = 0;
  std::exception_ptr Failure;
};

class Searcher {
 public:
  Searcher(const SubsetPointTable& source, const SubsetPointTable& target, double minAngle)
      : source_(source), target_(target), n_(target.Count), minAngle_(minAngle) {
    far_.resize(static_cast<std::size_t>(n_) * static_cast<std::size_t>(n_));
    for (std::size_t p = 0; p < far_.size(); ++p) far_[p] = source.FarEnough[p] && target.FarEnough[p];
  }

  int TaskCount() const { return n_ >= 4 ? n_ - 3 : 0; }

  // All subsets with first index i, solutions appended to `store`. `afterPair`
  // runs after each second index; false stops the search.
  template <typename AfterPair>
  void RunTask(int i, SampleStore& store, SharedState& shared, AfterPair&& afterPair) const {
    const std::size_t n = static_cast<std::size_t>(n_);
    const std::uint8_t* farI = &far_[static_cast<std::size_t>(i) * n];
    const double* targetI = &target_.Angles[static_cast<std::size_t>(i) * n];
    const double* sourceI = &source_.Angles[static_cast<std::size_t>(i) * n];
    FourPoints four;
    CoefficientArray solution;
    Load(four, 0, i);
    for (int j = i + 1; j < n_ - 2; ++j) {
      if (shared.Stop.load(std::memory_order_relaxed)) return;
      if (farI[j]) SearchWithPair(j, farI, targetI, sourceI, four, solution, store);
      shared.Enumerated.fetch_add(PairCount(n_ - 1 - j), std::memory_order_relaxed);
      if (!afterPair()) {
        shared.Stop = true;
        return;
      }
    }
  }

 private:
  void Load(FourPoints& four, int slot, int index) const {
    const std::size_t p = static_cast<std::size_t>(index);
    four.SourceX[slot] = source_.X[p];
    four.SourceY[slot] = source_.Y[p];
    four.TargetX[slot] = target_.X[p];
    four.TargetY[slot] = target_.Y[p];
  }

  bool Apart(double a, double b) const { return std::fabs(a - b) >= minAngle_; }

  void SearchWithPair(int j, const std::uint8_t* farI, const double* targetI, const double* sourceI, FourPoints& four,
                      CoefficientArray& solution, SampleStore& store) const {
    const std::size_t n = static_cast<std::size_t>(n_);
    const std::uint8_t* farJ = &far_[static_cast<std::size_t>(j) * n];
    const double* targetJ = &target_.Angles[static_cast<std::size_t>(j) * n];
    const double* sourceJ = &source_.Angles[static_cast<std::size_t>(j) * n];
    const double targetIJ = targetI[j];
    const double sourceIJ = sourceI[j];
    Load(four, 1, j);
    for (int k = j + 1; k < n_ - 1; ++k) {
      if (!farI[k] || !farJ[k]) continue;
      const double targetIK = targetI[k];
      const double sourceIK = sourceI[k];
      if (!Apart(targetIJ, targetIK) || !Apart(sourceIJ, sourceIK)) continue;
      const std::uint8_t* farK = &far_[static_cast<std::size_t>(k) * n];
      const double targetJK = targetJ[k];
      const double sourceJK = sourceJ[k];
      Load(four, 2, k);
      for (int m = k + 1; m < n_; ++m) {
        if (!farI[m] || !farJ[m] || !farK[m]) continue;
        if (!Apart(targetIJ, targetI[m]) || !Apart(targetIK, targetI[m]) || !Apart(targetJK, targetJ[m])) continue;
        if (!Apart(sourceIJ, sourceI[m]) || !Apart(sourceIK, sourceI[m]) || !Apart(sourceJK, sourceJ[m])) continue;
        Load(four, 3, m);
        if (SolveFourPointSystem(four, solution)) store.Append(solution);
      }
    }
  }

  const SubsetPointTable& source_;
  const SubsetPointTable& target_;
  int n_;
  double minAngle_;
  std::vector<std::uint8_t> far_;
};

}  // namespace

double PointDistance(double x1, double y1, double x2, double y2) {
  const double dx = x1 - x2;
  const double dy = y1 - y2;
  return std::sqrt(dx * dx + dy * dy);
}

double SlopeAngleOf(double px, double py, double qx, double qy) {
  const double dx = px - qx;
  const double dy = py - qy;
  if (std::fabs(dx) == 0) return kPi;
  return std::atan(std::fabs(dy) / std::fabs(dx));
}

SubsetPointTable PrepareSubsetPointTable(const VT_Points& points, int count, double minDistance) {
  SubsetPointTable table;
  table.Count = count;
  const std::size_t n = static_cast<std::size_t>(count);
  table.X.resize(n);
  table.Y.resize(n);
  for (int p = 0; p < count; ++p) {
    const VT_Point& point = *points.Get(p);
    table.X[static_cast<std::size_t>(p)] = point.X;
    table.Y[static_cast<std::size_t>(p)] = point.Y;
  }
  table.Angles.resize(n * n);
  table.FarEnough.resize(n * n);
  for (std::size_t p = 0; p < n; ++p)
    for (std::size_t q = 0; q < n; ++q) {
      table.Angles[p * n + q] = SlopeAngleOf(table.X[p], table.Y[p], table.X[q], table.Y[q]);
      table.FarEnough[p * n + q] =
          minDistance < 0 || PointDistance(table.X[p], table.Y[p], table.X[q], table.Y[q]) >= minDistance;
    }
  return table;
}

long long FourPointSubsetCount(int n) {
  if (n < 4) return 0;
  const long long m = n;
  return m * (m - 1) * (m - 2) * (m - 3) / 24;
}

std::optional<SampleStore> SearchSubsets(const SubsetPointTable& source, const SubsetPointTable& target,
                                         double minAngleRadians, int threads, const SubsetProgress& progress) {
  const Searcher searcher(source, target, minAngleRadians);
  const int tasks = searcher.TaskCount();
  std::vector<SampleStore> stores(static_cast<std::size_t>(tasks));
  SharedState shared;

  if (threads > tasks) threads = tasks;
  const auto work = [&] {
    try {
      const auto keepGoing = [] { return true; };
      for (int i = shared.NextTask++; i < tasks && !shared.Stop; i = shared.NextTask++)
        searcher.RunTask(i, stores[static_cast<std::size_t>(i)], shared, keepGoing);
    } catch (...) {
      const std::lock_guard lock(shared.Mutex);
      if (!shared.Failure) shared.Failure = std::current_exception();
      shared.Stop = true;
    }
    const std::lock_guard lock(shared.Mutex);
    --shared.RunningWorkers;
    shared.Finished.notify_all();
  };
  std::vector<std::thread> workers;
  if (threads > 1) {
    shared.RunningWorkers = threads;
    workers.reserve(static_cast<std::size_t>(threads));
    for (int t = 0; t < threads; ++t) {
      try {
        workers.emplace_back(work);
      } catch (const std::system_error&) {
        // The workers that did start share out all the tasks.
        const std::lock_guard lock(shared.Mutex);
        shared.RunningWorkers -= threads - t;
        break;
      }
    }
  }

  if (workers.empty()) {
    // Small searches, single-core machines, or no thread to be had:
    // everything on this thread, progress after every pair.
    const auto afterPair = [&] { return progress(shared.Enumerated.load(std::memory_order_relaxed)); };
    for (int i = shared.NextTask++; i < tasks && !shared.Stop; i = shared.NextTask++)
      searcher.RunTask(i, stores[static_cast<std::size_t>(i)], shared, afterPair);
  } else {
    {
      std::unique_lock lock(shared.Mutex);
      while (shared.RunningWorkers > 0) {
        shared.Finished.wait_for(lock, std::chrono::milliseconds(20));
        if (shared.RunningWorkers == 0) break;
        lock.unlock();
        const bool goOn = progress(shared.Enumerated.load(std::memory_order_relaxed));
        lock.lock();
        if (!goOn) shared.Stop = true;
      }
    }
    for (std::thread& worker : workers) worker.join();
    if (shared.Failure) std::rethrow_exception(shared.Failure);
  }
  if (shared.Stop || !progress(FourPointSubsetCount(target.Count))) return std::nullopt;

  SampleStore all;
  for (SampleStore& store : stores) all.Splice(std::move(store));
  return all;
}

}  // namespace vesk
