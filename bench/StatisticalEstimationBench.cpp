// The statistical method on noisy synthetic reference points in general
// position, default settings: 30, 60, 100, 200 and 300 points, with the peak
// of heap memory in use during one analysis; and how promptly a long
// analysis reports and answers a stop request:
//   build/bench/statistical_estimation_bench --benchmark_counters_tabular=true
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <thread>

#include "estimation/Stat2DThread.h"
#include "estimation/SubsetAverages.h"
#include "estimation/SubsetSearch.h"

namespace {

// Every heap allocation of the program passes here, so that the benchmark
// can tell the largest amount held at once while the analysis runs.
std::atomic<long long> heapInUse{0};
std::atomic<long long> heapPeak{0};

void* Allocate(std::size_t size) {
  void* p = std::malloc(size == 0 ? 1 : size);
  if (p == nullptr) throw std::bad_alloc();
  const long long now = heapInUse += static_cast<long long>(malloc_usable_size(p));
  long long peak = heapPeak.load(std::memory_order_relaxed);
  while (now > peak && !heapPeak.compare_exchange_weak(peak, now, std::memory_order_relaxed)) {
  }
  return p;
}

void Release(void* p) noexcept {
  if (p == nullptr) return;
  heapInUse -= static_cast<long long>(malloc_usable_size(p));
  std::free(p);
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, std::size_t) noexcept { Release(p); }
void operator delete[](void* p, std::size_t) noexcept { Release(p); }

namespace vesk {
namespace {

constexpr double kMiB = 1024.0 * 1024.0;

// Deterministic pseudo-random numbers in [0, 1), the same on every machine.
class Lcg {
 public:
  explicit Lcg(std::uint64_t seed) : state_(seed) {}
  double Next() {
    state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<double>(state_ >> 11) * (1.0 / 9007199254740992.0);
  }

 private:
  std::uint64_t state_;
};

// Points spread over a 640 x 480 photograph and their images under a mild
// perspective, with up to half a pixel of noise in the second photograph.
void MakePoints(int n, VT_Points& first, VT_Points& second) {
  Lcg random(20261209);
  for (int i = 0; i < n; ++i) {
    const double x = 20 + 600 * random.Next();
    const double y = 20 + 440 * random.Next();
    const double w = 0.0002 * x - 0.0001 * y + 1;
    const double u = (0.9 * x + 0.05 * y - 30) / w + (random.Next() - 0.5);
    const double v = (-0.04 * x + 1.1 * y + 12) / w + (random.Next() - 0.5);
    first.Add(new VT_Point(x, y));
    second.Add(new VT_Point(u, v));
  }
}

void BM_StatisticalFit(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const int threads = static_cast<int>(state.range(1));
  VT_Points first(kOwnsItems);
  VT_Points second(kOwnsItems);
  MakePoints(n, first, second);
  int solved = 0;
  double seconds = 0;
  long long peakAbovePoints = 0;
  for (auto _ : state) {
    const long long before = heapInUse.load();
    heapPeak = before;
    const auto started = std::chrono::steady_clock::now();
    TransformCoefficients result(kOwnsItems);
    Stat2DThread worker(first, PointSetCode::FirstPhoto, second, PointSetCode::SecondPhoto, result);
    worker.Width1 = worker.Width2 = 640;
    worker.Height1 = worker.Height2 = 480;
    worker.SubsetsPerTick = 1e9;
    worker.ThreadCount = threads;
    worker.Analyse();
    if (result.Count() != 8) state.SkipWithError("the fit failed");
    solved = worker.SolvedCount;
    benchmark::DoNotOptimize(result.Items.data());
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    if (heapPeak.load() - before > peakAbovePoints) peakAbovePoints = heapPeak.load() - before;
  }
  const double subsets = static_cast<double>(FourPointSubsetCount(n));
  state.counters["subsets"] = subsets;
  state.counters["solved"] = solved;
  state.counters["ns_per_subset"] = seconds * 1e9 / (subsets * static_cast<double>(state.iterations()));
  // Heap held at once beyond what was held before the analysis began.
  state.counters["peak_heap_MiB"] = static_cast<double>(peakAbovePoints) / kMiB;
  // The resident high-water mark of the whole process so far: it only grows,
  // so it speaks for this run only where it rose above the runs before.
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["max_rss_MiB"] = static_cast<double>(usage.ru_maxrss) * 1024.0 / kMiB;
}
// The averaging behind Stat2DThread::Analyse with its default settings,
// stopped once the progress position passes `stop` percent (in the pass that
// computes the solutions again, when they are not kept): the longest wait
// between two progress reports (each one a chance to stop), between two
// hundredths of the bar, and from the stop request to the return.
void BM_StatisticalResponsiveness(benchmark::State& state) {
  using Clock = std::chrono::steady_clock;
  const int n = static_cast<int>(state.range(0));
  const double stop = static_cast<double>(state.range(1)) / 100;
  VT_Points first(kOwnsItems);
  VT_Points second(kOwnsItems);
  MakePoints(n, first, second);
  const double threshold = 0.1 * 800;  // of a 640 x 480 photograph
  const SubsetPointTable source = PrepareSubsetPointTable(first, n, threshold);
  const SubsetPointTable target = PrepareSubsetPointTable(second, n, threshold);
  const SubsetSearcher searcher(source, target, 10 * 3.141592653589793 / 180);
  const long long total = searcher.SubsetCount();
  SubsetAveragingSettings settings;
  settings.Search.Threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  double longestReportGap = 0, longestStepGap = 0, answer = 0;
  for (auto _ : state) {
    Clock::time_point lastReport = Clock::now(), lastStep = lastReport, requested;
    long long step = 0;
    const SubsetAverages averages = AverageSubsetSolutions(searcher, settings, [&](long long position) {
      const Clock::time_point now = Clock::now();
      longestReportGap = std::max(longestReportGap, std::chrono::duration<double>(now - lastReport).count());
      lastReport = now;
      if (position * 100 / total > step) {
        longestStepGap = std::max(longestStepGap, std::chrono::duration<double>(now - lastStep).count());
        step = position * 100 / total;
        lastStep = now;
      }
      if (static_cast<double>(position) < stop * static_cast<double>(total)) return true;
      requested = now;
      return false;
    });
    answer = std::max(answer, std::chrono::duration<double>(Clock::now() - requested).count());
    if (averages.Completed) state.SkipWithError("the stop request went unheard");
  }
  state.counters["report_gap_ms"] = longestReportGap * 1e3;
  state.counters["percent_gap_ms"] = longestStepGap * 1e3;
  state.counters["stop_answer_ms"] = answer * 1e3;
}

// Second argument: worker threads, 0 for one per core.
BENCHMARK(BM_StatisticalFit)
    ->ArgNames({"points", "threads"})
    ->Args({30, 0})
    ->Args({60, 0})
    ->Args({100, 0})
    ->Args({100, 1})
    ->Args({200, 0})
    ->Args({300, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_StatisticalResponsiveness)
    ->ArgNames({"points", "stop_percent"})
    ->Args({300, 70})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace vesk

BENCHMARK_MAIN();
