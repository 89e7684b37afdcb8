// Throughput of the BMP codec on a 4000 x 3000 photograph (36 MB of
// pixels), in MB/s of picture bytes:
//   build/bench/bmp_codec_benchmark
// Memory: the codec's own work (decoding from and encoding into memory).
// File: through read() and write() on a file in the temporary folder, which
// the page cache holds, as vesk-cli sees a photograph it read a moment ago.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

#include "imageio/BmpCodec.h"
#include "imageio/BmpFile.h"

namespace vesk {
namespace {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;

const RgbImage& Photograph() {
  static const RgbImage photo = [] {
    RgbImage noise = RgbImage::Unfilled(kWidth, kHeight);
    std::mt19937 random(7);
    for (std::size_t i = 0; i < noise.ByteCount(); ++i) noise.Data()[i] = static_cast<std::uint8_t>(random());
    return noise;
  }();
  return photo;
}

const std::vector<std::uint8_t>& PhotographFile() {
  static const std::vector<std::uint8_t> bytes = [] {
    VectorByteSink sink;
    EncodeBmp(Photograph(), sink);
    return sink.Bytes();
  }();
  return bytes;
}

// Counts bytes and keeps none.
class DiscardingSink : public ByteSink {
 public:
  bool Write(const void* bytes, std::size_t size) override {
    benchmark::DoNotOptimize(bytes);
    count += size;
    return true;
  }
  std::size_t count = 0;
};

void SetPictureBytes(benchmark::State& state) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kWidth * kHeight * 3);
}

void BM_DecodeFromMemory(benchmark::State& state) {
  const auto& bytes = PhotographFile();
  for (auto _ : state) {
    MemoryByteSource source(bytes);
    BmpDecodeResult decoded = DecodeBmp(source);
    if (decoded.Failure.Failed()) state.SkipWithError(decoded.Failure.Detail.c_str());
    benchmark::DoNotOptimize(decoded.Image.Data());
  }
  SetPictureBytes(state);
}

void BM_EncodeToMemory(benchmark::State& state) {
  const RgbImage& photo = Photograph();
  for (auto _ : state) {
    DiscardingSink sink;
    if (EncodeBmp(photo, sink).Failed()) state.SkipWithError("encoding failed");
    benchmark::DoNotOptimize(sink.count);
  }
  SetPictureBytes(state);
}

std::string BenchFile() { return (std::filesystem::temp_directory_path() / "vesk_bmp_codec_benchmark.bmp").string(); }

void BM_LoadFile(benchmark::State& state) {
  const std::string path = BenchFile();
  if (SaveBmpFile(path, Photograph()).Failed()) state.SkipWithError("cannot write the file");
  for (auto _ : state) {
    BmpDecodeResult decoded = LoadBmpFile(path);
    if (decoded.Failure.Failed()) state.SkipWithError(decoded.Failure.Detail.c_str());
    benchmark::DoNotOptimize(decoded.Image.Data());
  }
  std::remove(path.c_str());
  SetPictureBytes(state);
}

void BM_SaveFile(benchmark::State& state) {
  const std::string path = BenchFile();
  for (auto _ : state)
    if (SaveBmpFile(path, Photograph()).Failed()) state.SkipWithError("cannot write the file");
  std::remove(path.c_str());
  SetPictureBytes(state);
}

BENCHMARK(BM_DecodeFromMemory)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();
BENCHMARK(BM_EncodeToMemory)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();
BENCHMARK(BM_LoadFile)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();
BENCHMARK(BM_SaveFile)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();

}  // namespace
}  // namespace vesk

BENCHMARK_MAIN();
