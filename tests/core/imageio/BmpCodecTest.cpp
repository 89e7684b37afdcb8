#include "imageio/BmpCodec.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "BmpTestFiles.h"
#include "imageio/BmpFile.h"
#include "support/NoisePhoto.h"
#include "support/TempDir.h"

// The largest single allocation since the last reset, to show that a header
// declaring a huge picture is refused before any buffer is made for it.
namespace {
std::atomic<std::size_t> largestAllocation{0};
void NoteAllocation(std::size_t size) {
  std::size_t seen = largestAllocation.load(std::memory_order_relaxed);
  while (size > seen && !largestAllocation.compare_exchange_weak(seen, size, std::memory_order_relaxed)) {
  }
}
}  // namespace

// The replacements below allocate with malloc and free with free, which GCC
// cannot see through when it inlines them.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

void* operator new(std::size_t size) {
  NoteAllocation(size);
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, std::align_val_t alignment) {
  NoteAllocation(size);
  const std::size_t align = static_cast<std::size_t>(alignment);
  if (void* p = std::aligned_alloc(align, (size + align - 1) / align * align)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }

namespace vesk {
namespace {

using test::BmpLayout;
using Bytes = std::vector<std::uint8_t>;

BmpDecodeResult Decode(const Bytes& bytes, const BmpLimits& limits = {}) {
  MemoryByteSource source(bytes);
  return DecodeBmp(source, limits);
}

Bytes Encode(const RgbImage& picture) {
  VectorByteSink sink;
  const BmpFailure failure = EncodeBmp(picture, sink);
  EXPECT_FALSE(failure.Failed()) << DescribeBmpFailure(failure);
  return sink.Bytes();
}

// A source that does not know how much is left, as a pipe.
class StreamSource : public ByteSource {
 public:
  explicit StreamSource(const Bytes& bytes) : inner_(bytes) {}
  std::size_t Read(void* buffer, std::size_t size) override { return inner_.Read(buffer, size); }

 private:
  MemoryByteSource inner_;
};

// Positions reported, and a stop asked for once a given one is reached.
class RecordingProgress : public ProgressSink {
 public:
  explicit RecordingProgress(CancelToken* stopAt = nullptr, int stopPosition = 0)
      : stop_(stopAt), stopPosition_(stopPosition) {}
  void SetPosition(int position) override {
    positions.push_back(position);
    if (stop_ != nullptr && position >= stopPosition_) stop_->Request();
  }
  std::vector<int> positions;

 private:
  CancelToken* stop_;
  int stopPosition_;
};

void ExpectRisingToHundred(const std::vector<int>& positions) {
  ASSERT_FALSE(positions.empty());
  for (std::size_t i = 1; i < positions.size(); ++i) EXPECT_LT(positions[i - 1], positions[i]);
  EXPECT_EQ(positions.back(), 100);
}

TEST(BmpCodecTest, RoundTripKeepsEveryPixelForEveryRowPadding) {
  // Widths 1, 2, 3 leave 1, 2, 3 bytes of padding after 3, 6, 9 pixel bytes; 4 leaves none.
  for (const int width : {1, 2, 3, 4, 5, 641}) {
    const RgbImage picture = test::NoisePhoto(width, 7, static_cast<unsigned>(width));
    const Bytes bytes = Encode(picture);
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
    EXPECT_EQ(bytes.size(), 54 + 7 * stride) << width;
    EXPECT_EQ(EncodedBmpSize(width, 7), bytes.size()) << width;
    const BmpDecodeResult decoded = Decode(bytes);
    ASSERT_FALSE(decoded.Failure.Failed()) << DescribeBmpFailure(decoded.Failure);
    EXPECT_TRUE(decoded.Image == picture) << width;
    EXPECT_FALSE(decoded.Info.TopDown);
    for (int row = 0; row < 7; ++row)  // the padding is written as zeros
      for (std::size_t k = static_cast<std::size_t>(width) * 3; k < stride; ++k)
        EXPECT_EQ(bytes[54 + static_cast<std::size_t>(row) * stride + k], 0) << width;
  }
}

TEST(BmpCodecTest, RowsLongerThanAStripAreCutIntoPieces) {
  for (const int width : {100003, 87377}) {
    const RgbImage picture = test::NoisePhoto(width, 3, 5);
    const BmpDecodeResult decoded = Decode(Encode(picture));
    ASSERT_FALSE(decoded.Failure.Failed()) << DescribeBmpFailure(decoded.Failure);
    EXPECT_TRUE(decoded.Image == picture) << width;
  }
  // A paletted row of more than two million pixels, one bit each.
  const int width = 2'200'003;
  std::vector<std::uint8_t> indices(static_cast<std::size_t>(width) * 2);
  for (std::size_t i = 0; i < indices.size(); ++i) indices[i] = static_cast<std::uint8_t>((i * 7919 / 13) % 2);
  const std::vector<Rgb> palette{{10, 20, 30}, {200, 100, 50}};
  const BmpDecodeResult decoded = Decode(test::PalettedBmp(width, 2, indices, palette, BmpLayout{.Bits = 1}));
  ASSERT_FALSE(decoded.Failure.Failed()) << DescribeBmpFailure(decoded.Failure);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < width; x += 997)
      ASSERT_EQ(decoded.Image.Pixel(x, y), palette[indices[static_cast<std::size_t>(y) * width + x]]) << x;
  EXPECT_EQ(decoded.Image.Pixel(width - 1, 1), palette[indices.back()]);
}

TEST(BmpCodecTest, DecodesTheTrueColourLayoutsOfOtherWriters) {
  const RgbImage picture = test::NoisePhoto(5, 4, 11);
  struct Case {
    const char* name;
    BmpLayout layout;
  };
  const Case cases[] = {
      {"24 bottom-up", {}},
      {"24 top-down", {.TopDown = true}},
      {"24 core header", {.HeaderSize = 12}},
      {"24 V5 header", {.HeaderSize = 124}},
      {"32 BI_RGB", {.Bits = 32, .FourthByte = 0}},
      {"32 BI_RGB top-down", {.Bits = 32, .TopDown = true}},
      {"32 bit fields after the header", {.Bits = 32, .Compression = 3, .FourthByte = 0x80}},
      {"32 bit fields in a V4 header", {.Bits = 32, .HeaderSize = 108, .Compression = 3}},
      {"32 bit fields in a V5 header, top-down", {.Bits = 32, .TopDown = true, .HeaderSize = 124, .Compression = 3}},
      {"24 with a gap before the pixels", {.Gap = 37}},
  };
  for (const Case& c : cases) {
    const Bytes bytes = test::TrueColourBmp(picture, c.layout);
    const BmpDecodeResult decoded = Decode(bytes);
    ASSERT_FALSE(decoded.Failure.Failed()) << c.name << ": " << DescribeBmpFailure(decoded.Failure);
    EXPECT_TRUE(decoded.Image == picture) << c.name;
    EXPECT_EQ(decoded.Info.TopDown, c.layout.TopDown) << c.name;
    EXPECT_EQ(decoded.Info.BitsPerPixel, c.layout.Bits) << c.name;
    EXPECT_EQ(decoded.Info.HeaderSize, c.layout.HeaderSize) << c.name;
    // The stream form, which cannot see the file's size, reads the same.
    StreamSource stream(bytes);
    EXPECT_TRUE(DecodeBmp(stream).Image == picture) << c.name;
  }
}

TEST(BmpCodecTest, DecodesPalettedPixelsThroughTheColourTable) {
  const int width = 9;
  const int height = 3;
  struct Case {
    BmpLayout layout;
    std::size_t colours;  // in the table
  };
  const Case cases[] = {
      {{.Bits = 8}, 256}, {{.Bits = 8, .TopDown = true}, 40},   {{.Bits = 4}, 16},
      {{.Bits = 1}, 2},   {{.Bits = 8, .HeaderSize = 12}, 256}, {{.Bits = 4, .Gap = 6}, 5},
  };
  for (const Case& c : cases) {
    std::vector<Rgb> palette(c.colours);
    for (std::size_t i = 0; i < palette.size(); ++i)
      palette[i] =
          Rgb{static_cast<std::uint8_t>(i * 3), static_cast<std::uint8_t>(255 - i), static_cast<std::uint8_t>(i * 7)};
    std::vector<std::uint8_t> indices(width * height);
    const unsigned range = 1u << c.layout.Bits;
    for (std::size_t i = 0; i < indices.size(); ++i) indices[i] = static_cast<std::uint8_t>((i * 37 + 3) % range);
    const BmpDecodeResult decoded = Decode(test::PalettedBmp(width, height, indices, palette, c.layout));
    ASSERT_FALSE(decoded.Failure.Failed()) << c.layout.Bits << ": " << DescribeBmpFailure(decoded.Failure);
    EXPECT_EQ(decoded.Info.PaletteColours, static_cast<int>(c.colours));
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const std::size_t index = indices[static_cast<std::size_t>(y * width + x)];
        // Indices beyond a short table are black.
        const Rgb expected = index < palette.size() ? palette[index] : kBlack;
        EXPECT_EQ(decoded.Image.Pixel(x, y), expected) << c.layout.Bits << " bits, " << x << ", " << y;
      }
  }
}

TEST(BmpCodecTest, FilesCutShortAreRefusedWhereverTheyEnd) {
  const RgbImage picture = test::NoisePhoto(7, 5, 3);  // 24 bytes a row, 3 of them padding
  const Bytes full = Encode(picture);
  std::vector<std::uint8_t> indices(35, 1);
  const Bytes paletted = test::PalettedBmp(7, 5, indices, std::vector<Rgb>(16, kWhite), BmpLayout{.Bits = 8});
  struct Case {
    const Bytes* file;
    std::size_t length;
    BmpFault fault;
  };
  const Case cases[] = {
      {&full, 0, BmpFault::NotBmp},
      {&full, 1, BmpFault::NotBmp},
      {&full, 2, BmpFault::Truncated},
      {&full, 13, BmpFault::Truncated},
      {&full, 17, BmpFault::Truncated},
      {&full, 53, BmpFault::Truncated},
      {&full, 54, BmpFault::Truncated},
      {&full, 54 + 24 * 2 + 5, BmpFault::Truncated},
      {&full, full.size() - 4, BmpFault::Truncated},
      {&full, full.size() - 3, BmpFault::None},           // only the last row's padding is missing
      {&paletted, 54 + 16 * 4 - 1, BmpFault::Truncated},  // inside the colour table
      {&paletted, 54 + 16 * 4 + 1, BmpFault::Truncated},
  };
  for (const Case& c : cases) {
    const Bytes cut(c.file->begin(), c.file->begin() + static_cast<std::ptrdiff_t>(c.length));
    EXPECT_EQ(Decode(cut).Failure.Fault, c.fault) << c.length;
    StreamSource stream(cut);
    const BmpDecodeResult streamed = DecodeBmp(stream);
    EXPECT_EQ(streamed.Failure.Fault, c.fault) << c.length << " streamed";
    if (c.fault != BmpFault::None) {
      EXPECT_TRUE(streamed.Image.Empty());
    }
  }
  EXPECT_TRUE(Decode(Bytes(full.begin(), full.end() - 3)).Image == picture);
  test::TempDir dir;
  const std::string path =
      dir.Write("cut.bmp", std::string_view(reinterpret_cast<const char*>(full.data()), full.size() - 30));
  const BmpDecodeResult loaded = LoadBmpFile(path);
  EXPECT_EQ(loaded.Failure.Fault, BmpFault::Truncated);
  EXPECT_NE(loaded.Failure.Detail.find("the file holds"), std::string::npos) << loaded.Failure.Detail;
}

TEST(BmpCodecTest, DecodesFromAPipeThatDeliversInPieces) {
  const RgbImage picture = test::NoisePhoto(300, 300, 6);  // larger than a pipe holds
  const Bytes bytes = Encode(picture);
  for (const std::size_t cut : {std::size_t{0}, std::size_t{100}}) {
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    std::thread writer([&] {
      FileByteSink sink(ends[1]);
      EXPECT_TRUE(sink.Write(bytes.data(), bytes.size() - cut));
      close(ends[1]);
    });
    FileByteSource source(ends[0]);
    EXPECT_FALSE(source.Remaining().has_value());
    const BmpDecodeResult decoded = DecodeBmp(source);
    writer.join();
    close(ends[0]);
    if (cut == 0) {
      EXPECT_FALSE(decoded.Failure.Failed()) << DescribeBmpFailure(decoded.Failure);
      EXPECT_TRUE(decoded.Image == picture);
    } else {
      EXPECT_EQ(decoded.Failure.Fault, BmpFault::Truncated);
    }
  }
}

TEST(BmpCodecTest, AHugeDeclaredPictureIsRefusedBeforeAnyBufferIsMade) {
  Bytes header = Encode(test::NoisePhoto(2, 2, 1));
  header.resize(2'000'000, 0x55);                    // a small file ...
  test::PutLe(header, test::kWidthField, 30000, 4);  // ... declaring 30000 x 30000 pixels
  test::PutLe(header, test::kHeightField, 30000, 4);
  largestAllocation = 0;
  BmpDecodeResult decoded = Decode(header);
  EXPECT_EQ(decoded.Failure.Fault, BmpFault::TooLarge) << DescribeBmpFailure(decoded.Failure);
  // Within the limits, the file's size gives it away.
  test::PutLe(header, test::kWidthField, 25000, 4);
  test::PutLe(header, test::kHeightField, 25000, 4);
  decoded = Decode(header);
  EXPECT_EQ(decoded.Failure.Fault, BmpFault::Truncated) << DescribeBmpFailure(decoded.Failure);
  EXPECT_LT(largestAllocation.load(), std::size_t{1} << 20);
  EXPECT_EQ(decoded.Info.Width, 25000);
}

TEST(BmpCodecTest, TheCallersLimitsAreKept) {
  const Bytes bytes = Encode(test::NoisePhoto(40, 30, 2));
  struct Case {
    BmpLimits limits;
    BmpFault fault;
  };
  const Case cases[] = {
      {{.MaxWidth = 40, .MaxHeight = 30, .MaxBytes = 3600}, BmpFault::None},
      {{.MaxWidth = 39}, BmpFault::TooLarge},
      {{.MaxHeight = 29}, BmpFault::TooLarge},
      {{.MaxBytes = 3599}, BmpFault::TooLarge},
  };
  for (const Case& c : cases) EXPECT_EQ(Decode(bytes, c.limits).Failure.Fault, c.fault) << c.limits.MaxBytes;
}

TEST(BmpCodecTest, BrokenAndForeignHeadersAreNamed) {
  const Bytes good = Encode(test::NoisePhoto(6, 4, 9));
  struct Case {
    const char* name;
    std::size_t field;
    std::uint32_t value;
    int size;
    BmpFault fault;
  };
  const Case cases[] = {
      {"no signature", 0, 'X', 1, BmpFault::NotBmp},
      {"header size 0", test::kHeaderSizeField, 0, 4, BmpFault::Malformed},
      {"header size 13", test::kHeaderSizeField, 13, 4, BmpFault::Malformed},
      {"header size 64 (OS/2 2.x)", test::kHeaderSizeField, 64, 4, BmpFault::Unsupported},
      {"width 0", test::kWidthField, 0, 4, BmpFault::Malformed},
      {"negative width", test::kWidthField, 0xFFFFFFFAu, 4, BmpFault::Malformed},
      {"height 0", test::kHeightField, 0, 4, BmpFault::Malformed},
      {"height -2^31", test::kHeightField, 0x80000000u, 4, BmpFault::Malformed},
      {"7 bits per pixel", test::kBitsField, 7, 2, BmpFault::Malformed},
      {"0 bits per pixel", test::kBitsField, 0, 2, BmpFault::Malformed},
      {"pixels inside the header", test::kPixelOffsetField, 20, 4, BmpFault::Malformed},
      {"16 bits per pixel", test::kBitsField, 16, 2, BmpFault::Unsupported},
      {"2 bits per pixel", test::kBitsField, 2, 2, BmpFault::Unsupported},
      {"RLE8", test::kCompressionField, 1, 4, BmpFault::Unsupported},
      {"embedded PNG", test::kCompressionField, 5, 4, BmpFault::Unsupported},
      {"unknown compression", test::kCompressionField, 77, 4, BmpFault::Unsupported},
      {"two planes", test::kPlanesField, 2, 2, BmpFault::Unsupported},
  };
  for (const Case& c : cases) {
    Bytes bytes = good;
    test::PutLe(bytes, c.field, c.value, c.size);
    const BmpDecodeResult decoded = Decode(bytes);
    EXPECT_EQ(decoded.Failure.Fault, c.fault) << c.name << ": " << DescribeBmpFailure(decoded.Failure);
    EXPECT_FALSE(decoded.Failure.Detail.empty()) << c.name;
    MemoryByteSource source(bytes);
    const BmpInfoResult info = ReadBmpInfo(source);
    if (c.fault == BmpFault::Unsupported) {
      EXPECT_FALSE(info.Failure.Failed()) << c.name;
      EXPECT_FALSE(info.Info.Decodable) << c.name;
      EXPECT_EQ(info.Info.NotDecodedWhy, decoded.Failure.Detail) << c.name;
    } else {
      EXPECT_EQ(info.Failure.Fault, c.fault) << c.name;
    }
  }
  // Bit fields in other places than the usual ones.
  const RgbImage picture = test::NoisePhoto(3, 2, 4);
  const Bytes swapped = test::TrueColourBmp(
      picture, BmpLayout{.Bits = 32, .Compression = 3, .Masks = {0x000000FFu, 0x0000FF00u, 0x00FF0000u, 0}});
  EXPECT_EQ(Decode(swapped).Failure.Fault, BmpFault::Unsupported);
  EXPECT_EQ(Decode(test::TrueColourBmp(picture, BmpLayout{.Compression = 3})).Failure.Fault, BmpFault::Unsupported);
  EXPECT_EQ(Decode(Bytes{'P', 'K', 3, 4}).Failure.Fault, BmpFault::NotBmp);
}

TEST(BmpCodecTest, HeaderAloneGivesTheSizeAndLayout) {
  test::TempDir dir;
  const std::string path = dir.Write("x.bmp", "");
  const BmpInfoResult aloe = ReadBmpFileInfo((test::ExamplesDir() / "aloe" / "aloeL.bmp").string());
  ASSERT_FALSE(aloe.Failure.Failed()) << DescribeBmpFailure(aloe.Failure);
  EXPECT_EQ(aloe.Info.Width, 641);
  EXPECT_EQ(aloe.Info.Height, 555);
  EXPECT_EQ(aloe.Info.BitsPerPixel, 24);
  EXPECT_EQ(aloe.Info.PixelOffset, 54u);
  EXPECT_TRUE(aloe.Info.Decodable);
  EXPECT_EQ(ReadBmpFileInfo(path).Failure.Fault, BmpFault::NotBmp);
  const BmpInfoResult missing = ReadBmpFileInfo(dir.File("missing.bmp"));
  EXPECT_EQ(missing.Failure.Fault, BmpFault::IoError);
  EXPECT_NE(missing.Failure.Detail.find("No such file"), std::string::npos) << missing.Failure.Detail;
  EXPECT_EQ(LoadBmpFile(dir.Path().string()).Failure.Fault, BmpFault::IoError);  // a folder
}

TEST(BmpCodecTest, ProgressRisesToHundredAndAStopEndsWithoutAPicture) {
  const RgbImage picture = test::NoisePhoto(1000, 300, 8);  // several strips
  const Bytes bytes = Encode(picture);
  {
    RecordingProgress progress;
    VectorByteSink sink;
    EXPECT_FALSE(EncodeBmp(picture, sink, progress).Failed());
    EXPECT_GT(progress.positions.size(), 2u);
    ExpectRisingToHundred(progress.positions);
  }
  {
    RecordingProgress progress;
    MemoryByteSource source(bytes);
    EXPECT_FALSE(DecodeBmp(source, {}, progress).Failure.Failed());
    EXPECT_GT(progress.positions.size(), 2u);
    ExpectRisingToHundred(progress.positions);
  }
  {
    CancelToken stop;
    RecordingProgress progress(&stop, 1);
    MemoryByteSource source(bytes);
    const BmpDecodeResult decoded = DecodeBmp(source, {}, progress, stop);
    EXPECT_EQ(decoded.Failure.Fault, BmpFault::Cancelled);
    EXPECT_TRUE(decoded.Image.Empty());
    EXPECT_LT(progress.positions.back(), 100);
  }
  {
    CancelToken stop;
    RecordingProgress progress(&stop, 1);
    VectorByteSink sink;
    EXPECT_EQ(EncodeBmp(picture, sink, progress, stop).Fault, BmpFault::Cancelled);
    EXPECT_LT(sink.Bytes().size(), bytes.size());
  }
}

// Takes a given number of bytes, then refuses like a full disk.
class FullSink : public ByteSink {
 public:
  explicit FullSink(std::size_t room) : room_(room) {}
  bool Write(const void*, std::size_t size) override {
    if (size > room_) return false;
    room_ -= size;
    return true;
  }
  std::string Failure() const override { return "No space left on device"; }

 private:
  std::size_t room_;
};

TEST(BmpCodecTest, EncoderRefusalsAreNamed) {
  FullSink full(1000);
  const BmpFailure refused = EncodeBmp(test::NoisePhoto(100, 100, 1), full);
  EXPECT_EQ(refused.Fault, BmpFault::IoError);
  EXPECT_NE(refused.Detail.find("No space left"), std::string::npos) << refused.Detail;
  VectorByteSink sink;
  EXPECT_EQ(EncodeBmp(RgbImage(), sink).Fault, BmpFault::Malformed);
  EXPECT_TRUE(sink.Bytes().empty());
  // The 32-bit size fields hold 65536-byte rows 65535 times over, not 65536 times.
  EXPECT_EQ(EncodedBmpSize(21845, 65535), std::uint64_t{65536} * 65535 + 54);
  EXPECT_FALSE(EncodedBmpSize(21845, 65536).has_value());
  EXPECT_FALSE(EncodedBmpSize(0, 5).has_value());
}

TEST(BmpCodecTest, SavingReplacesTheFileOnlyWhenComplete) {
  test::TempDir dir;
  const std::string path = dir.File("result.bmp");
  const RgbImage first = test::NoisePhoto(30, 20, 1);
  ASSERT_FALSE(SaveBmpFile(path, first).Failed());
  EXPECT_TRUE(LoadBmpFile(path).Image == first);
  const RgbImage second = test::NoisePhoto(1000, 300, 2);
  CancelToken stop;
  RecordingProgress progress(&stop, 1);
  EXPECT_EQ(SaveBmpFile(path, second, progress, stop).Fault, BmpFault::Cancelled);
  EXPECT_TRUE(LoadBmpFile(path).Image == first);
  ASSERT_FALSE(SaveBmpFile(path, second).Failed());
  EXPECT_TRUE(LoadBmpFile(path).Image == second);
  std::size_t files = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.Path())) ++files;
  EXPECT_EQ(files, 1u);  // no temporary file left behind
  const BmpFailure nowhere = SaveBmpFile(dir.File("no-such-folder/r.bmp"), first);
  EXPECT_EQ(nowhere.Fault, BmpFault::IoError);
  EXPECT_NE(nowhere.Detail.find("its folder does not exist"), std::string::npos) << nowhere.Detail;
}

}  // namespace
}  // namespace vesk
