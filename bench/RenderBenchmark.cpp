// ns per result pixel of every build mode on 4000 x 3000 photographs with a
// mild projective map, on one thread and on every core, and of every
// anaglyph method in the anaglyph modes on one thread:
//   build/bench/render_benchmark --benchmark_counters_tabular=true
// ns_per_pixel is wall time; cpu_ns_per_pixel the calling thread's processor
// time, the steadier figure of one-thread runs on a machine shared with
// other work. Where OpenCV was found at configure time, BM_OpenCvWarp times
// cv::warpPerspective (nearest, inverse map, white border) on the same
// photograph and map as mode 7, in the same run, as the figure to beat.
#include <benchmark/benchmark.h>

#include <time.h>

#include <chrono>
#include <optional>

#include "render/RenderEngine.h"
#include "render/RenderKernels.h"
#include "render/RenderRequest.h"
#include "render/WorkerTeam.h"

#if defined(VESK_BENCH_OPENCV)
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#endif

namespace vesk {
namespace {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;

const RgbImage& Photograph(int seed) {
  static const RgbImage photos[2] = {RgbImage(kWidth, kHeight), RgbImage(kWidth, kHeight)};
  static bool filled = false;
  if (!filled) {
    for (int k = 0; k < 2; ++k) {
      RgbImage& photo = const_cast<RgbImage&>(photos[k]);
      for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
          photo.SetPixel(x, y,
                         Rgb{static_cast<std::uint8_t>(x * 7 + k), static_cast<std::uint8_t>(y * 3),
                             static_cast<std::uint8_t>((x ^ y) & 255)});
    }
    filled = true;
  }
  return photos[seed];
}

RenderRequest MildRequest(int mode) {
  RenderRequest request;
  request.Mode = static_cast<BuildMode>(mode);
  // A few percent of scale, shear and perspective across the frame.
  request.Transform1 = JobTransform{{1.01, 0.012, -14.5, -0.009, 0.995, 11.25, 2.1e-6, -1.7e-6}};
  request.Transform2 = JobTransform{{0.992, -0.008, 9.75, 0.011, 1.004, -7.5, -1.3e-6, 2.4e-6}};
  request.Area = BuildArea{0, kWidth, 0, kHeight, 1};
  return request;
}

double ThreadSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

void RunRender(benchmark::State& state, const RenderRequest& request, int threads,
               std::optional<InstructionSet> instructions, bool freshMemory = false) {
  const RgbImage& photo1 = Photograph(0);
  const RgbImage& photo2 = Photograph(1);
  RenderOptions options;
  options.Threads = threads;
  options.Instructions = instructions;
  double seconds = 0, cpuSeconds = 0;
  long long pixels = 0;
  // As one long build, pages are faulted in once; as one build of vesk-cli,
  // every run starts on fresh memory.
  std::optional<LargeBufferReuse> reuse;
  if (!freshMemory) reuse.emplace();
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = ThreadSeconds();
    RenderOutcome outcome = RenderBuild(request, photo1, photo2, SilentProgress(), NeverCancelled(), options);
    cpuSeconds += ThreadSeconds() - cpuStart;
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    pixels += static_cast<long long>(outcome.Result.Width()) * outcome.Result.Height();
    benchmark::DoNotOptimize(outcome.Result.Data());
  }
  state.counters["threads"] = threads;
  state.counters["ns_per_pixel"] = seconds * 1e9 / static_cast<double>(pixels);
  if (threads == 1) state.counters["cpu_ns_per_pixel"] = cpuSeconds * 1e9 / static_cast<double>(pixels);
}

void RunRender(benchmark::State& state, int mode, int threads, std::optional<InstructionSet> instructions) {
  RunRender(state, MildRequest(mode), threads, instructions);
}

void BM_Render(benchmark::State& state) {
  const int threads = state.range(1) == 0 ? AvailableCores() : static_cast<int>(state.range(1));
  RunRender(state, static_cast<int>(state.range(0)), threads, std::nullopt);
}

// The figure vesk-cli's render phase gives: every run on fresh memory, its
// first touch included.
void BM_RenderFreshMemory(benchmark::State& state) {
  const int threads = state.range(1) == 0 ? AvailableCores() : static_cast<int>(state.range(1));
  RunRender(state, MildRequest(static_cast<int>(state.range(0))), threads, std::nullopt, true);
}

// Every mode on one thread with the kernels of one instruction set (0: the
// SSE2 baseline, 1: AVX2, 2: AVX-512), as processors without the wider
// ones run it; a set this processor lacks is skipped.
void BM_RenderWithInstructions(benchmark::State& state) {
  const auto set = static_cast<InstructionSet>(state.range(1));
  if (render_detail::KernelsFor(set) == nullptr) {
    state.SkipWithError("the processor lacks this instruction set");
    return;
  }
  RunRender(state, static_cast<int>(state.range(0)), 1, set);
}

// Every anaglyph method on mode 11 with each instruction set's kernels.
void BM_RenderAnaglyphWithInstructions(benchmark::State& state) {
  const auto set = static_cast<InstructionSet>(state.range(1));
  if (render_detail::KernelsFor(set) == nullptr) {
    state.SkipWithError("the processor lacks this instruction set");
    return;
  }
  RenderRequest request = MildRequest(11);
  request.Anaglyph = AnaglyphChoice{static_cast<AnaglyphMethod>(state.range(0)), false};
  RunRender(state, request, 1, set);
}

#if defined(VESK_BENCH_OPENCV)
// OpenCV's nearest-pixel inverse warp of the first photograph through mode
// 7's map into a picture of the same size, on one thread or every core,
// into the same memory every run or (fresh: 1) into a new picture.
void BM_OpenCvWarp(benchmark::State& state) {
  const bool fresh = state.range(1) != 0;
  const int threads = state.range(0) == 0 ? AvailableCores() : static_cast<int>(state.range(0));
  cv::setNumThreads(threads == 1 ? 0 : threads);
  const RgbImage& photo = Photograph(0);
  const cv::Mat source(kHeight, kWidth, CV_8UC3, const_cast<std::uint8_t*>(photo.Data()));
  const JobTransform& t = MildRequest(7).Transform1;
  const cv::Matx33d map(t.A0(), t.A1(), t.A2(), t.B0(), t.B1(), t.B2(), t.C0(), t.C1(), 1.0);
  double seconds = 0, cpuSeconds = 0;
  long long pixels = 0;
  cv::Mat result;
  for (auto _ : state) {
    if (fresh) result.release();
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = ThreadSeconds();
    cv::warpPerspective(source, result, map, source.size(), cv::INTER_NEAREST | cv::WARP_INVERSE_MAP,
                        cv::BORDER_CONSTANT, cv::Scalar(255, 255, 255));
    cpuSeconds += ThreadSeconds() - cpuStart;
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    pixels += static_cast<long long>(result.cols) * result.rows;
    benchmark::DoNotOptimize(result.data);
  }
  state.counters["threads"] = threads;
  state.counters["ns_per_pixel"] = seconds * 1e9 / static_cast<double>(pixels);
  if (threads == 1) state.counters["cpu_ns_per_pixel"] = cpuSeconds * 1e9 / static_cast<double>(pixels);
}
BENCHMARK(BM_OpenCvWarp)
    ->ArgsProduct({{1, 0}, {0, 1}})
    ->ArgNames({"threads", "fresh"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(0.5);
#endif

// Every anaglyph method (0..5, in menu order), eyes as they are or swapped,
// one thread.
void BM_RenderAnaglyph(benchmark::State& state) {
  RenderRequest request = MildRequest(static_cast<int>(state.range(0)));
  request.Anaglyph = AnaglyphChoice{static_cast<AnaglyphMethod>(state.range(1)), state.range(2) != 0};
  RunRender(state, request, 1, std::nullopt);
}

BENCHMARK(BM_Render)
    ->ArgsProduct({benchmark::CreateDenseRange(0, 11, 1), {1, 0}})
    ->ArgNames({"mode", "threads"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(0.5);
BENCHMARK(BM_RenderFreshMemory)
    ->ArgsProduct({{7, 11}, {1, 0}})
    ->ArgNames({"mode", "threads"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(0.5);
BENCHMARK(BM_RenderWithInstructions)
    ->ArgsProduct({benchmark::CreateDenseRange(0, 11, 1), {0, 1, 2}})
    ->ArgNames({"mode", "set"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(0.5);
BENCHMARK(BM_RenderAnaglyphWithInstructions)
    ->ArgsProduct({benchmark::CreateDenseRange(0, 5, 1), {0, 1, 2}})
    ->ArgNames({"method", "set"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(0.5);
BENCHMARK(BM_RenderAnaglyph)
    ->ArgsProduct({{2, 3, 6, 11}, benchmark::CreateDenseRange(0, 5, 1), {0, 1}})
    ->ArgNames({"mode", "method", "swap"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(0.5);

}  // namespace
}  // namespace vesk

BENCHMARK_MAIN();
