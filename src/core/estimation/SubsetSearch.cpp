#include "estimation/SubsetSearch.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <system_error>
#include <utility>

#include "estimation/FourPointSolver.h"
#include "model/NumericHelpers.h"

namespace vesk {
namespace {

constexpr int kMaxThreads = 64;
constexpr int kBlocksPerWorker = 4;
constexpr auto kReportPeriod = std::chrono::milliseconds(20);

std::thread StartStdThread(std::function<void()> body) { return std::thread(std::move(body)); }

// The blocks of one search handed from the workers to the calling thread in
// enumeration order. A worker takes the next block only while fewer than
// `window` blocks wait to be folded, so the memory held stays bounded
// however fast the workers run ahead.
class OrderedSearch {
 public:
  OrderedSearch(const SubsetSearcher& searcher, const SubsetTriple& start, long long subsetsPerBlock, int window)
      : searcher_(searcher),
        subsetsPerBlock_(subsetsPerBlock),
        slots_(static_cast<std::size_t>(window)),
        next_(start) {}

  // Before each worker starts, and undone when it did not.
  void WorkerStarting() {
    const std::lock_guard lock(mutex_);
    ++running_;
  }
  void WorkerNotStarted() {
    const std::lock_guard lock(mutex_);
    --running_;
  }

  void Work() {
    try {
      for (;;) {
        SubsetBlock block;
        long long index = 0;
        {
          std::unique_lock lock(mutex_);
          slotFreed_.wait(lock, [this] { return stop_ || exhausted_ || taken_ < folded_ + Window(); });
          if (stop_ || exhausted_) break;
          block = searcher_.TakeBlock(next_, subsetsPerBlock_);
          if (block.Triples == 0) {
            exhausted_ = true;
            slotFilled_.notify_one();
            break;
          }
          index = taken_++;
        }
        SampleStore solutions;
        if (!searcher_.Solve(block, solutions, stop_)) break;
        {
          const std::lock_guard lock(mutex_);
          Slot& slot = slots_[static_cast<std::size_t>(index % Window())];
          slot.Solutions = std::move(solutions);
          slot.Block = block;
          slot.Ready = true;
        }
        slotFilled_.notify_one();
      }
    } catch (...) {
      const std::lock_guard lock(mutex_);
      if (!failure_) failure_ = std::current_exception();
      stop_ = true;
      slotFreed_.notify_all();
    }
    const std::lock_guard lock(mutex_);
    --running_;
    slotFilled_.notify_one();
  }

  // The calling thread's part: folds the blocks in order and reports
  // progress. True when every block was folded, false when progress asked
  // to stop or a worker failed. `enumerated` counts the subsets folded.
  bool Drive(const SolutionFold& fold, const SubsetProgress& progress, long long& enumerated) {
    using Clock = std::chrono::steady_clock;
    Clock::time_point lastReport = Clock::now();
    std::unique_lock lock(mutex_);
    for (;;) {
      if (stop_) return false;
      Slot& slot = slots_[static_cast<std::size_t>(folded_ % Window())];
      if (slot.Ready) {
        SampleStore solutions = std::move(slot.Solutions);
        slot.Solutions.Clear();
        slot.Ready = false;
        ++folded_;
        const SubsetBlock block = slot.Block;
        lock.unlock();
        slotFreed_.notify_all();
        fold(solutions, block);
        enumerated += block.Subsets;
        solutions.Clear();
        const bool goOn = Clock::now() - lastReport < kReportPeriod || Report(progress, enumerated, lastReport);
        lock.lock();
        if (!goOn) return false;
        continue;
      }
      if (exhausted_ && folded_ == taken_) return true;
      if (running_ == 0) return false;  // only after a failure, which also stops the search
      slotFilled_.wait_until(lock, lastReport + kReportPeriod);
      if (Clock::now() - lastReport >= kReportPeriod) {
        lock.unlock();
        const bool goOn = Report(progress, enumerated, lastReport);
        lock.lock();
        if (!goOn) return false;
      }
    }
  }

  // Lets every worker go; they end at their next look at the flag.
  void Stop() {
    const std::lock_guard lock(mutex_);
    stop_ = true;
    slotFreed_.notify_all();
  }

  std::exception_ptr Failure() {
    const std::lock_guard lock(mutex_);
    return failure_;
  }

 private:
  struct Slot {
    SampleStore Solutions;
    SubsetBlock Block;
    bool Ready = false;
  };

  static bool Report(const SubsetProgress& progress, long long enumerated, std::chrono::steady_clock::time_point& at) {
    const bool goOn = progress(enumerated);
    at = std::chrono::steady_clock::now();
    return goOn;
  }

  long long Window() const { return static_cast<long long>(slots_.size()); }

  const SubsetSearcher& searcher_;
  const long long subsetsPerBlock_;
  std::mutex mutex_;
  std::condition_variable slotFreed_;   // workers wait for room
  std::condition_variable slotFilled_;  // the calling thread waits for the next block
  std::vector<Slot> slots_;
  SubsetTriple next_;
  long long taken_ = 0;
  long long folded_ = 0;
  bool exhausted_ = false;
  int running_ = 0;
  std::atomic<bool> stop_{false};  // written under the mutex, read by workers without it
  std::exception_ptr failure_;
};

bool SolveOnCallingThread(const SubsetSearcher& searcher, const SubsetTriple& start, long long subsetsPerBlock,
                          const SolutionFold& fold, const SubsetProgress& progress) {
  const std::atomic<bool> never{false};
  SubsetTriple next = start;
  long long enumerated = 0;
  for (;;) {
    const SubsetBlock block = searcher.TakeBlock(next, subsetsPerBlock);
    if (block.Triples == 0) break;
    SampleStore solutions;
    searcher.Solve(block, solutions, never);
    fold(solutions, block);
    enumerated += block.Subsets;
    if (!progress(enumerated)) return false;
  }
  return progress(enumerated);
}

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

SubsetSearcher::SubsetSearcher(const SubsetPointTable& source, const SubsetPointTable& target, double minAngleRadians)
    : source_(source), target_(target), n_(target.Count), minAngle_(minAngleRadians) {
  far_.resize(static_cast<std::size_t>(n_) * static_cast<std::size_t>(n_));
  for (std::size_t p = 0; p < far_.size(); ++p) far_[p] = source.FarEnough[p] && target.FarEnough[p];
}

std::size_t SubsetSearcher::MemoryBytes() const {
  const auto tableBytes = [](const SubsetPointTable& table) {
    return (table.X.capacity() + table.Y.capacity() + table.Angles.capacity()) * sizeof(double) +
           table.FarEnough.capacity();
  };
  return tableBytes(source_) + tableBytes(target_) + far_.capacity();
}

SubsetBlock SubsetSearcher::TakeBlock(SubsetTriple& next, long long subsets) const {
  SubsetBlock block;
  block.First = next;
  while (next.I < n_ - 3 && (block.Triples == 0 || block.Subsets < subsets)) {
    block.Subsets += n_ - 1 - next.K;
    ++block.Triples;
    Advance(next);
  }
  return block;
}

void SubsetSearcher::Advance(SubsetTriple& t) const {
  if (++t.K < n_ - 1) return;
  if (++t.J < n_ - 2) {
    t.K = t.J + 1;
    return;
  }
  ++t.I;
  t.J = t.I + 1;
  t.K = t.I + 2;
}

bool SubsetSearcher::Solve(const SubsetBlock& block, SampleStore& solutions, const std::atomic<bool>& stop) const {
  SubsetTriple t = block.First;
  for (long long done = 0; done < block.Triples; ++done) {
    if (stop.load(std::memory_order_relaxed)) return false;
    SolveTriple(t.I, t.J, t.K, solutions);
    Advance(t);
  }
  return true;
}

bool SubsetSearcher::Apart(double a, double b) const { return std::fabs(a - b) >= minAngle_; }

void SubsetSearcher::SolveTriple(int i, int j, int k, SampleStore& solutions) const {
  const std::size_t n = static_cast<std::size_t>(n_);
  const std::size_t row[3] = {static_cast<std::size_t>(i) * n, static_cast<std::size_t>(j) * n,
                              static_cast<std::size_t>(k) * n};
  const std::uint8_t* farI = &far_[row[0]];
  const std::uint8_t* farJ = &far_[row[1]];
  const std::uint8_t* farK = &far_[row[2]];
  if (!farI[j] || !farI[k] || !farJ[k]) return;
  const double* targetI = &target_.Angles[row[0]];
  const double* sourceI = &source_.Angles[row[0]];
  const double targetIJ = targetI[j];
  const double sourceIJ = sourceI[j];
  const double targetIK = targetI[k];
  const double sourceIK = sourceI[k];
  if (!Apart(targetIJ, targetIK) || !Apart(sourceIJ, sourceIK)) return;
  const double* targetJ = &target_.Angles[row[1]];
  const double* sourceJ = &source_.Angles[row[1]];
  const double targetJK = targetJ[k];
  const double sourceJK = sourceJ[k];
  // Accepted subsets are solved a few at a time, their solutions appended
  // in enumeration order.
  FourPoints four[kMaxSystemsAtOnce];
  const int corners[3] = {i, j, k};
  for (int slot = 0; slot < 3; ++slot) {
    const std::size_t p = static_cast<std::size_t>(corners[slot]);
    for (FourPoints& points : four) {
      points.SourceX[slot] = source_.X[p];
      points.SourceY[slot] = source_.Y[p];
      points.TargetX[slot] = target_.X[p];
      points.TargetY[slot] = target_.Y[p];
    }
  }
  CoefficientArray solution[kMaxSystemsAtOnce];
  bool solved[kMaxSystemsAtOnce];
  int pending = 0;
  const auto solvePending = [&] {
    SolveFourPointSystems(four, pending, solution, solved);
    for (int s = 0; s < pending; ++s)
      if (solved[s]) solutions.Append(solution[s]);
    pending = 0;
  };
  for (int m = k + 1; m < n_; ++m) {
    if (!farI[m] || !farJ[m] || !farK[m]) continue;
    if (!Apart(targetIJ, targetI[m]) || !Apart(targetIK, targetI[m]) || !Apart(targetJK, targetJ[m])) continue;
    if (!Apart(sourceIJ, sourceI[m]) || !Apart(sourceIK, sourceI[m]) || !Apart(sourceJK, sourceJ[m])) continue;
    const std::size_t p = static_cast<std::size_t>(m);
    FourPoints& points = four[pending];
    points.SourceX[3] = source_.X[p];
    points.SourceY[3] = source_.Y[p];
    points.TargetX[3] = target_.X[p];
    points.TargetY[3] = target_.Y[p];
    if (++pending == kMaxSystemsAtOnce) solvePending();
  }
  if (pending > 0) solvePending();
}

int BlocksInFlight(int threads) {
  threads = std::clamp(threads, 1, kMaxThreads);
  return threads == 1 ? 1 : kBlocksPerWorker * threads + 1;
}

bool SolveSubsetsInOrder(const SubsetSearcher& searcher, const SubsetSearchOptions& options, const SolutionFold& fold,
                         const SubsetProgress& progress) {
  // The workers' stores come back to them once folded.
  const SampleBlockReuse reuse;
  const long long subsetsPerBlock = std::max(1LL, options.SubsetsPerBlock);
  const long long blocks = searcher.SubsetCount() / subsetsPerBlock + 1;
  const int threads =
      static_cast<int>(std::clamp<long long>(options.Threads, 1, std::min<long long>(blocks, kMaxThreads)));
  if (threads == 1) return SolveOnCallingThread(searcher, options.Start, subsetsPerBlock, fold, progress);

  OrderedSearch search(searcher, options.Start, subsetsPerBlock, BlocksInFlight(threads) - 1);
  std::vector<std::thread> workers;
  workers.reserve(static_cast<std::size_t>(threads));
  const auto stopAndJoin = [&] {
    search.Stop();
    for (std::thread& worker : workers) worker.join();
  };
  const ThreadStarter& start = options.StartThread ? options.StartThread : ThreadStarter(StartStdThread);
  bool completed = false;
  long long enumerated = 0;
  try {
    for (int t = 0; t < threads; ++t) {
      search.WorkerStarting();
      try {
        workers.push_back(start([&search] { search.Work(); }));
      } catch (const std::system_error&) {
        // The threads already started share out all the work.
        search.WorkerNotStarted();
        break;
      } catch (...) {
        search.WorkerNotStarted();
        throw;
      }
    }
    if (workers.empty()) return SolveOnCallingThread(searcher, options.Start, subsetsPerBlock, fold, progress);
    completed = search.Drive(fold, progress, enumerated);
  } catch (...) {
    stopAndJoin();
    throw;
  }
  stopAndJoin();
  if (const std::exception_ptr failure = search.Failure()) std::rethrow_exception(failure);
  return completed && progress(enumerated);
}

}  // namespace vesk
