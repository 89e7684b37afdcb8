#include "qt/PngReader.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <QImage>
#include <QImageReader>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "imageio/BmpCodec.h"
#include "progress/ProgressSink.h"
#include "qt/ImageFiles.h"
#include "support/NoisePhoto.h"
#include "support/TempDir.h"

namespace vesk {
namespace {

using Bytes = std::vector<std::uint8_t>;

void PutBigEndian(Bytes& to, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) to.push_back(static_cast<std::uint8_t>(value >> shift));
}

void AddChunk(Bytes& file, const char* type, const Bytes& data) {
  PutBigEndian(file, static_cast<std::uint32_t>(data.size()));
  const std::size_t start = file.size();
  file.insert(file.end(), type, type + 4);
  file.insert(file.end(), data.begin(), data.end());
  PutBigEndian(file, static_cast<std::uint32_t>(crc32(0L, &file[start], static_cast<uInt>(file.size() - start))));
}

// How a hand-made test file departs from a plain one.
struct Variant {
  const char* Name;
  int Interlace = 0;
  bool Transparency = false;  // a tRNS colour key
  bool UnknownCritical = false;
  bool Text = false;           // an ancillary chunk before the pixels
  bool BadCrc = false;         // in the second IDAT chunk
  bool Truncated = false;      // the stream stops early
  bool TrailingBytes = false;  // bytes after the end of the stream
  bool ReadsPlainly = true;    // decoded by the plain reader rather than handed on
};

// An 8-bit RGB PNG of `picture` whose rows use all five filter types in
// turn, its stream split over several IDAT chunks (one of them empty).
Bytes MakePng(const RgbImage& picture, const Variant& v) {
  const std::size_t rowBytes = static_cast<std::size_t>(picture.Stride());
  Bytes filtered;
  for (int y = 0; y < picture.Height(); ++y) {
    const std::uint8_t type = static_cast<std::uint8_t>(y % 5);
    filtered.push_back(type);
    const std::uint8_t* row = picture.Row(y);
    const std::uint8_t* up = y > 0 ? picture.Row(y - 1) : nullptr;
    for (std::size_t i = 0; i < rowBytes; ++i) {
      const int a = i >= 3 ? row[i - 3] : 0, b = up ? up[i] : 0, c = (up && i >= 3) ? up[i - 3] : 0;
      const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
      const int predictor[5] = {0, a, b, (a + b) / 2, pa <= pb && pa <= pc ? a : pb <= pc ? b : c};
      filtered.push_back(static_cast<std::uint8_t>(row[i] - predictor[type]));
    }
  }
  uLongf size = compressBound(static_cast<uLong>(filtered.size()));
  Bytes stream(size);
  compress2(stream.data(), &size, filtered.data(), static_cast<uLong>(filtered.size()), 6);
  stream.resize(size);
  if (v.Truncated) stream.resize(stream.size() / 2);
  if (v.TrailingBytes) stream.insert(stream.end(), {1, 2, 3});

  Bytes file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes header;
  PutBigEndian(header, static_cast<std::uint32_t>(picture.Width()));
  PutBigEndian(header, static_cast<std::uint32_t>(picture.Height()));
  header.insert(header.end(), {8, 2, 0, 0, static_cast<std::uint8_t>(v.Interlace)});
  AddChunk(file, "IHDR", header);
  if (v.Text) AddChunk(file, "tEXt", Bytes{'a', 0, 'b'});
  if (v.Transparency) AddChunk(file, "tRNS", Bytes{0, picture.Row(0)[0], 0, picture.Row(0)[1], 0, picture.Row(0)[2]});
  if (v.UnknownCritical) AddChunk(file, "ZZZZ", Bytes{1});
  const std::size_t third = stream.size() / 3;
  AddChunk(file, "IDAT", Bytes(stream.begin(), stream.begin() + third));
  AddChunk(file, "IDAT", Bytes());
  AddChunk(file, "IDAT", Bytes(stream.begin() + third, stream.begin() + 2 * third));
  if (v.BadCrc) file[file.size() - 1] ^= 1;
  AddChunk(file, "IDAT", Bytes(stream.begin() + 2 * third, stream.end()));
  AddChunk(file, "IEND", Bytes());
  return file;
}

TEST(PngReaderTest, PlainFilesDecodeAndEveryOtherKindKeepsTheGeneralReadersAnswer) {
  test::TempDir dir;
  // Wider than a strip of rows holds, so that rows cross the pieces read.
  const RgbImage picture = test::NoisePhoto(523, 411, 77);
  const Variant variants[] = {
      {"plain"},
      {"ancillary chunk", 0, false, false, true},
      {"interlaced", 1, false, false, false, false, false, false, false},
      {"transparency key", 0, true, false, false, false, false, false, false},
      {"unknown critical chunk", 0, false, true, false, false, false, false, false},
      {"bad CRC", 0, false, false, false, true, false, false, false},
      {"truncated stream", 0, false, false, false, false, true, false, false},
      {"bytes after the stream", 0, false, false, false, false, false, true, false},
  };
  for (const Variant& v : variants) {
    const std::string path = dir.File("v.png");
    const Bytes file = MakePng(picture, v);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), file.size());

    const qt::PlainPngRead plain = qt::ReadPlainRgbPng(path, kMaxPhotographBytes, NeverCancelled());
    ASSERT_EQ(plain.Result == qt::PlainPngRead::Outcome::Decoded, v.ReadsPlainly) << v.Name;
    if (v.ReadsPlainly) {
      EXPECT_TRUE(*plain.Pixels == picture) << v.Name;
    }
    // Whatever the plain reader does with it, loading gives what Qt's reader gives.
    QImageReader reader(QString::fromStdString(path));
    const QImage expected = reader.read().convertToFormat(QImage::Format_RGB888);
    const auto loaded = qt::LoadImage(path);
    ASSERT_EQ(loaded.has_value(), !expected.isNull()) << v.Name;
    if (!loaded) continue;
    ASSERT_EQ(loaded->Width(), expected.width()) << v.Name;
    for (int y = 0; y < expected.height(); ++y)
      ASSERT_EQ(std::memcmp(loaded->Row(y), expected.constScanLine(y), static_cast<std::size_t>(loaded->Stride())), 0)
          << v.Name << " row " << y;
  }
}

TEST(PngReaderTest, APictureLargerThanAllowedIsLeftToTheGeneralReader) {
  test::TempDir dir;
  const RgbImage picture = test::NoisePhoto(40, 30, 5);
  const std::string path = dir.File("p.png");
  const Bytes file = MakePng(picture, Variant{"plain"});
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), file.size());
  EXPECT_EQ(qt::ReadPlainRgbPng(path, 40 * 30 * 3 - 1, NeverCancelled()).Result, qt::PlainPngRead::Outcome::NotPlain);
  EXPECT_EQ(qt::ReadPlainRgbPng(path, 40 * 30 * 3, NeverCancelled()).Result, qt::PlainPngRead::Outcome::Decoded);
}

TEST(PngReaderTest, AStopRequestEndsTheRead) {
  test::TempDir dir;
  const std::string path = dir.File("p.png");
  ASSERT_TRUE(qt::SaveImage(test::NoisePhoto(64, 64, 6), path));
  std::atomic<bool> stop{true};
  EXPECT_EQ(qt::ReadPlainRgbPng(path, kMaxPhotographBytes, CancelToken(&stop)).Result,
            qt::PlainPngRead::Outcome::Cancelled);
}

}  // namespace
}  // namespace vesk
