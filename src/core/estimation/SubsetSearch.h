#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <thread>
#include <vector>

#include "estimation/SampleStore.h"
#include "model/VT_Points.h"

namespace vesk {

// One point list prepared for the four-point subset tests: every pair's slope
// angle and whether the pair is far enough apart, computed once instead of
// once per subset.
struct SubsetPointTable {
  int Count = 0;
  std::vector<double> X;
  std::vector<double> Y;
  std::vector<double> Angles;           // Angles[p * Count + q] = SlopeAngle(point p, point q)
  std::vector<std::uint8_t> FarEnough;  // distance >= threshold, per pair
};

// The first `count` points of `points`; `minDistance` < 0 switches the
// distance test off (every pair far enough).
SubsetPointTable PrepareSubsetPointTable(const VT_Points& points, int count, double minDistance);

// Distance between two points as the subset test measures it.
double PointDistance(double x1, double y1, double x2, double y2);

// Direction of the line through two points, blind to the sign of the slope:
// atan(|dy| / |dx|), and pi (not pi/2) for a vertical line.
double SlopeAngleOf(double px, double py, double qx, double qy);

// C(n, 4) as an integer count.
long long FourPointSubsetCount(int n);

// The first subset i < j < k < m with a given i, j, k; the enumeration runs
// through these triples in lexicographic order, each followed by its m.
struct SubsetTriple {
  int I = 0;
  int J = 1;
  int K = 2;
};

// A run of consecutive triples: their subsets are one unit of work.
struct SubsetBlock {
  SubsetTriple First;
  long long Triples = 0;
  long long Subsets = 0;  // enumerated, accepted or not
};

// The subsets of two prepared lists (the target's count of points) and what
// it takes to test and solve them. Holds a reference to both tables.
class SubsetSearcher {
 public:
  SubsetSearcher(const SubsetPointTable& source, const SubsetPointTable& target, double minAngleRadians);

  int PointCount() const { return n_; }
  long long SubsetCount() const { return FourPointSubsetCount(n_); }
  // Heap memory of the two tables and of the searcher itself.
  std::size_t MemoryBytes() const;

  // The triples from `next` on whose subsets first reach `subsets` (at least
  // one triple, nothing once past the last); `next` moves behind them.
  SubsetBlock TakeBlock(SubsetTriple& next, long long subsets) const;

  // Tests the subsets of `block` in order and appends the solution of every
  // accepted and solvable one to `solutions`. Looks at `stop` between
  // triples; false when it was set before the block was done.
  bool Solve(const SubsetBlock& block, SampleStore& solutions, const std::atomic<bool>& stop) const;

 private:
  // The triple after `t` in enumeration order.
  void Advance(SubsetTriple& t) const;
  bool Apart(double a, double b) const;
  void SolveTriple(int i, int j, int k, SampleStore& solutions) const;

  const SubsetPointTable& source_;
  const SubsetPointTable& target_;
  int n_;
  double minAngle_;
  std::vector<std::uint8_t> far_;  // far enough in both lists
};

// Starts one thread running `body`; throws std::system_error when the system
// has no thread to give, like std::thread itself.
using ThreadStarter = std::function<std::thread(std::function<void()> body)>;

struct SubsetSearchOptions {
  // Worker threads; with 1 (or when none can be started) everything runs on
  // the calling thread.
  int Threads = 1;
  // The first triple enumerated: the search may take up where an earlier
  // one left off.
  SubsetTriple Start;
  // Enumerated subsets per unit of work, rounded up to whole triples: small
  // enough to be answered quickly, large enough to keep the workers busy.
  long long SubsetsPerBlock = 16384;
  // How worker threads are started; empty for std::thread.
  ThreadStarter StartThread;
};

// Told the number of subsets enumerated so far; false asks the search to stop.
using SubsetProgress = std::function<bool(long long enumerated)>;

// Receives one block's solutions (and which block they are); may take them
// over.
using SolutionFold = std::function<void(SampleStore& solutions, const SubsetBlock& block)>;

// Most units of work done and not yet folded at one time, with `threads`
// workers: what bounds the search's own memory.
int BlocksInFlight(int threads);

// Enumerates every subset i < j < k < m of the common point indexes in
// lexicographic order, from the options' start on, keeps those that pass the
// distance and angle tests in both lists and solves each exactly. The
// workers solve blocks of subsets in any order, but `fold` gets the blocks on
// the calling thread strictly in enumeration order, so whatever it sums does
// not depend on the number of threads. `progress` runs on the calling thread
// too, with the subsets enumerated from the start on: about every 20 ms (or
// after every block without workers) and at the end with all of them. False
// when the search was stopped, also when the stop request came with that
// last report. Thread creation that fails leaves the work to the threads
// started, at least the calling one.
bool SolveSubsetsInOrder(const SubsetSearcher& searcher, const SubsetSearchOptions& options, const SolutionFold& fold,
                         const SubsetProgress& progress);

}  // namespace vesk
