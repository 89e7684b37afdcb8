// The codec against Qt's BMP reader and writer: the same files must give the
// same pixels, and the codec's files must be Qt's, byte for byte.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QString>
#include <cstring>
#include <string>
#include <vector>

#include "BmpTestFiles.h"
#include "imageio/BmpCodec.h"
#include "imageio/BmpFile.h"
#include "support/NoisePhoto.h"
#include "support/TempDir.h"

namespace vesk {
namespace {

using Bytes = std::vector<std::uint8_t>;

RgbImage FromQt(const QImage& decoded) {
  const QImage image = decoded.convertToFormat(QImage::Format_RGB888);
  RgbImage pixels = RgbImage::Unfilled(image.width(), image.height());
  for (int y = 0; y < image.height(); ++y)
    std::memcpy(pixels.Row(y), image.constScanLine(y), static_cast<std::size_t>(pixels.Stride()));
  return pixels;
}

QImage ToQt(const RgbImage& picture) {
  QImage image(picture.Width(), picture.Height(), QImage::Format_RGB888);
  for (int y = 0; y < picture.Height(); ++y)
    std::memcpy(image.scanLine(y), picture.Row(y), static_cast<std::size_t>(picture.Stride()));
  return image;
}

Bytes QtWrites(const QImage& image) {
  QByteArray data;
  QBuffer buffer(&data);
  buffer.open(QIODevice::WriteOnly);
  EXPECT_TRUE(image.save(&buffer, "BMP"));
  return Bytes(data.begin(), data.end());
}

RgbImage QtReads(const Bytes& bytes) {
  const QImage image = QImage::fromData(bytes.data(), static_cast<int>(bytes.size()), "BMP");
  EXPECT_FALSE(image.isNull());
  return FromQt(image);
}

BmpDecodeResult Decode(const Bytes& bytes) {
  MemoryByteSource source(bytes);
  return DecodeBmp(source);
}

TEST(BmpCodecQtTest, ExamplePhotographsReadAsQtReadsThem) {
  for (const char* name : {"chessboard/left01.bmp", "aloe/aloeL.bmp"}) {
    const std::string path = (test::ExamplesDir() / name).string();
    const BmpDecodeResult decoded = LoadBmpFile(path);
    ASSERT_FALSE(decoded.Failure.Failed()) << name << ": " << DescribeBmpFailure(decoded.Failure);
    const QImage qt(QString::fromStdString(path));
    ASSERT_FALSE(qt.isNull()) << name;
    EXPECT_TRUE(decoded.Image == FromQt(qt)) << name;
  }
}

TEST(BmpCodecQtTest, FilesQtWritesReadAsQtReadsThem) {
  const QImage noise = ToQt(test::NoisePhoto(13, 7, 21));
  // Qt keeps a small colour table in fewer bits per pixel.
  QVector<QRgb> few;
  for (int i = 0; i < 12; ++i) few.push_back(qRgb(20 * i, 255 - 20 * i, 7 * i));
  QVector<QRgb> many;
  for (int i = 0; i < 100; ++i) many.push_back(qRgb(i, 2 * i, 255 - i));
  struct Case {
    const char* name;
    QImage image;
    int bits;
  };
  const Case cases[] = {
      {"RGB888", noise, 24},
      {"ARGB32", noise.convertToFormat(QImage::Format_ARGB32), 24},
      {"Grayscale8", noise.convertToFormat(QImage::Format_Grayscale8), 8},
      {"Indexed8, 100 colours", noise.convertToFormat(QImage::Format_Indexed8, many), 8},
      {"Indexed8, 12 colours", noise.convertToFormat(QImage::Format_Indexed8, few), 4},
      {"Mono", noise.convertToFormat(QImage::Format_Mono), 1},
  };
  for (const Case& c : cases) {
    const Bytes bytes = QtWrites(c.image);
    const BmpDecodeResult decoded = Decode(bytes);
    ASSERT_FALSE(decoded.Failure.Failed()) << c.name << ": " << DescribeBmpFailure(decoded.Failure);
    EXPECT_EQ(decoded.Info.BitsPerPixel, c.bits) << c.name;
    EXPECT_TRUE(decoded.Image == QtReads(bytes)) << c.name;
  }
}

TEST(BmpCodecQtTest, OtherWritersLayoutsReadAsQtReadsThem) {
  using test::BmpLayout;
  const RgbImage picture = test::NoisePhoto(11, 6, 5);
  const BmpLayout trueColour[] = {
      {.TopDown = true},
      {.HeaderSize = 12},
      {.HeaderSize = 124},
      {.Bits = 32},
      {.Bits = 32, .TopDown = true, .FourthByte = 0},
      {.Bits = 32, .Compression = 3},
      {.Bits = 32, .HeaderSize = 108, .Compression = 3},
      {.Bits = 32, .TopDown = true, .HeaderSize = 124, .Compression = 3, .FourthByte = 0x80},  // alpha is dropped
      {.Gap = 10},
  };
  for (const BmpLayout& layout : trueColour) {
    const Bytes bytes = test::TrueColourBmp(picture, layout);
    const BmpDecodeResult decoded = Decode(bytes);
    ASSERT_FALSE(decoded.Failure.Failed()) << layout.Bits << ": " << DescribeBmpFailure(decoded.Failure);
    EXPECT_TRUE(decoded.Image == QtReads(bytes)) << layout.Bits << " bits, header " << layout.HeaderSize;
  }
  std::vector<std::uint8_t> indices(11 * 6);
  for (std::size_t i = 0; i < indices.size(); ++i) indices[i] = static_cast<std::uint8_t>(i * 31 % 200);
  struct Paletted {
    BmpLayout layout;
    std::size_t colours;  // a core header's table always has 2^bits entries
  };
  const Paletted paletted[] = {
      {{.Bits = 8}, 200}, {{.Bits = 8, .TopDown = true}, 256}, {{.Bits = 8, .HeaderSize = 12}, 256}};
  for (const Paletted& c : paletted) {
    std::vector<Rgb> palette(c.colours);
    for (std::size_t i = 0; i < palette.size(); ++i)
      palette[i] =
          Rgb{static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(3 * i), static_cast<std::uint8_t>(200 - i)};
    const Bytes bytes = test::PalettedBmp(11, 6, indices, palette, c.layout);
    const BmpDecodeResult decoded = Decode(bytes);
    ASSERT_FALSE(decoded.Failure.Failed()) << DescribeBmpFailure(decoded.Failure);
    EXPECT_TRUE(decoded.Image == QtReads(bytes)) << c.layout.HeaderSize << (c.layout.TopDown ? " top-down" : "");
  }
}

TEST(BmpCodecQtTest, EncodedFilesAreQtsByteForByte) {
  for (const int width : {1, 2, 3, 4, 5, 641}) {
    const RgbImage picture = test::NoisePhoto(width, 9, static_cast<unsigned>(width) + 40);
    VectorByteSink sink;
    ASSERT_FALSE(EncodeBmp(picture, sink).Failed());
    EXPECT_TRUE(QtReads(sink.Bytes()) == picture) << width;
    EXPECT_EQ(sink.Bytes(), QtWrites(ToQt(picture))) << width;
  }
}

}  // namespace
}  // namespace vesk
