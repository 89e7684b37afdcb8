// The statistical method on noisy synthetic reference points in general
// position, default settings: 30, 60 and 100 points.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>

#include "estimation/Stat2DThread.h"
#include "estimation/SubsetSearch.h"

namespace vesk {
namespace {

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
  for (auto _ : state) {
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
  }
  const double subsets = static_cast<double>(FourPointSubsetCount(n));
  state.counters["subsets"] = subsets;
  state.counters["solved"] = solved;
  state.counters["ns_per_subset"] = seconds * 1e9 / (subsets * static_cast<double>(state.iterations()));
}
// Second argument: worker threads, 0 for one per core.
BENCHMARK(BM_StatisticalFit)
    ->ArgNames({"points", "threads"})
    ->Args({30, 0})
    ->Args({60, 0})
    ->Args({100, 0})
    ->Args({100, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace vesk

BENCHMARK_MAIN();
