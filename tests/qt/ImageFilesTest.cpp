#include "qt/ImageFiles.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <algorithm>
#include <cstring>

#include "support/NoisePhoto.h"
#include "support/TempDir.h"

namespace vesk {
namespace {

TEST(ImageFilesTest, ReadsThePhotographSize) {
  const auto size = qt::ReadImageSize((test::ExamplesDir() / "aloe" / "aloeL.bmp").string());
  ASSERT_TRUE(size.has_value());
  EXPECT_EQ(size->Width, 641);
  EXPECT_EQ(size->Height, 555);
  test::TempDir dir;
  EXPECT_FALSE(qt::ReadImageSize(dir.Write("not-an-image.bmp", "hello")).has_value());
  EXPECT_FALSE(qt::ReadImageSize(dir.File("missing.bmp")).has_value());
}

}  // namespace
}  // namespace vesk

namespace vesk {
namespace {

TEST(ImageFilesTest, PhotographPixelsSurviveBmpAndPng) {
  test::TempDir dir;
  RgbImage picture(5, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x)
      picture.SetPixel(x, y, Rgb{static_cast<std::uint8_t>(40 * x), static_cast<std::uint8_t>(70 * y), 7});
  for (const std::string name : {"p.bmp", "p.png"}) {
    ASSERT_TRUE(qt::SaveImage(picture, dir.File(name)));
    const auto loaded = qt::LoadImage(dir.File(name));
    ASSERT_TRUE(loaded.has_value());
    EXPECT_TRUE(*loaded == picture) << name;
  }
  const auto aloe = qt::LoadImage((test::ExamplesDir() / "aloe" / "aloeL.bmp").string());
  ASSERT_TRUE(aloe.has_value());
  EXPECT_EQ(aloe->Width(), 641);
  EXPECT_FALSE(qt::LoadImage(dir.Write("text.png", "hello")).has_value());
  EXPECT_FALSE(qt::SaveImage(picture, dir.File("no-such-folder/p.bmp")));
}

}  // namespace
}  // namespace vesk

namespace vesk {
namespace {

TEST(ImageFilesTest, EveryFormatGivesThePixelsQtsOwnConversionGives) {
  test::TempDir dir;
  QImage colour(37, 23, QImage::Format_RGB32);
  for (int y = 0; y < colour.height(); ++y)
    for (int x = 0; x < colour.width(); ++x) colour.setPixel(x, y, qRgb(7 * x, 11 * y, (x * y) % 256));
  QImage translucent = colour.convertToFormat(QImage::Format_ARGB32);
  translucent.setPixel(3, 4, qRgba(200, 100, 50, 128));
  const QImage grey = colour.convertToFormat(QImage::Format_Grayscale8);
  const QImage indexed = colour.convertToFormat(QImage::Format_Indexed8);
  struct Case {
    const char* name;
    const QImage& image;
    const char* format;
  } cases[] = {{"colour.png", colour, "PNG"},  {"colour.jpg", colour, "JPEG"}, {"translucent.png", translucent, "PNG"},
               {"grey.png", grey, "PNG"},      {"grey.jpg", grey, "JPEG"},     {"indexed.png", indexed, "PNG"},
               {"colour.tif", colour, "TIFF"}, {"indexed.bmp", indexed, "BMP"}};
  for (const Case& c : cases) {
    const QString path = QString::fromStdString(dir.File(c.name));
    ASSERT_TRUE(c.image.save(path, c.format)) << c.name;
    const QImage expected = QImage(path).convertToFormat(QImage::Format_RGB888);
    const auto loaded = qt::LoadImage(path.toStdString());
    ASSERT_TRUE(loaded.has_value()) << c.name;
    ASSERT_EQ(loaded->Width(), expected.width()) << c.name;
    for (int y = 0; y < expected.height(); ++y)
      ASSERT_EQ(std::memcmp(loaded->Row(y), expected.constScanLine(y), static_cast<std::size_t>(loaded->Stride())), 0)
          << c.name << " row " << y;
  }
}

TEST(ImageFilesTest, TheDisplayedPictureIsThePhotographItself) {
  const qt::SharedPhoto photo = qt::LoadPhoto((test::ExamplesDir() / "aloe" / "aloeL.bmp").string()).Photo;
  ASSERT_NE(photo, nullptr);
  std::weak_ptr<const RgbImage> watch = photo;
  {
    QImage shown = qt::DisplayImage(photo);
    EXPECT_EQ(shown.constBits(), photo->Data());  // no copy
    qt::SharedPhoto dropped = photo;
    dropped.reset();
    const QImage copy = shown;  // a copy of the QImage shares the pixels too
    EXPECT_EQ(copy.constBits(), photo->Data());
  }
  EXPECT_EQ(watch.use_count(), 1);  // the QImages gave their share back
}

}  // namespace
}  // namespace vesk

namespace vesk {
namespace {

TEST(ImageFilesTest, PngResultsReadBackAsTheSamePixelsInAnyReader) {
  test::TempDir dir;
  for (const auto& [width, height] : {std::pair{1, 1}, std::pair{2, 3}, std::pair{333, 129}, std::pair{4001, 70}}) {
    const RgbImage picture = test::NoisePhoto(width, height, static_cast<unsigned>(width));
    const std::string path = dir.File("r.png");
    ASSERT_TRUE(qt::SaveImage(picture, path));
    QImageReader reader(QString::fromStdString(path));
    const QImage back = reader.read().convertToFormat(QImage::Format_RGB888);
    ASSERT_FALSE(back.isNull()) << reader.errorString().toStdString();
    ASSERT_EQ(back.width(), width);
    ASSERT_EQ(back.height(), height);
    for (int y = 0; y < height; ++y)
      ASSERT_EQ(std::memcmp(back.constScanLine(y), picture.Row(y), static_cast<std::size_t>(picture.Stride())), 0)
          << width << " x " << height << " row " << y;
  }
}

}  // namespace
}  // namespace vesk

namespace vesk {
namespace {

void PutU16(std::string& bytes, std::size_t at, std::uint32_t value) {
  bytes[at] = static_cast<char>(value & 0xff);
  bytes[at + 1] = static_cast<char>((value >> 8) & 0xff);
}

void PutU32(std::string& bytes, std::size_t at, std::uint32_t value) {
  PutU16(bytes, at, value & 0xffff);
  PutU16(bytes, at + 2, value >> 16);
}

// A bitmap file with a BITMAPINFOHEADER, a grey palette for the paletted
// depths and `pixels` as its pixel data, whatever the header declares.
std::string BitmapFile(int width, int height, int bits, std::uint32_t compression, const std::string& pixels) {
  const std::uint32_t paletteEntries = bits <= 8 ? 1u << bits : 0;
  const std::uint32_t offset = 14 + 40 + 4 * paletteEntries;
  std::string bytes(offset, '\0');
  bytes[0] = 'B';
  bytes[1] = 'M';
  PutU32(bytes, 2, offset + static_cast<std::uint32_t>(pixels.size()));
  PutU32(bytes, 10, offset);
  PutU32(bytes, 14, 40);
  PutU32(bytes, 18, static_cast<std::uint32_t>(width));
  PutU32(bytes, 22, static_cast<std::uint32_t>(height));
  PutU16(bytes, 26, 1);
  PutU16(bytes, 28, static_cast<std::uint32_t>(bits));
  PutU32(bytes, 30, compression);
  PutU32(bytes, 34, static_cast<std::uint32_t>(pixels.size()));
  for (std::uint32_t i = 0; i < paletteEntries; ++i) {
    const char level = static_cast<char>(i * 255 / (paletteEntries - 1));
    bytes[54 + 4 * i] = bytes[55 + 4 * i] = bytes[56 + 4 * i] = level;
  }
  return bytes + pixels;
}

// RLE rows of `width` pixels, each one run of colour index 1, then the end
// of the bitmap: `rows` of the declared rows.
std::string RunLengthRows(int width, int rows) {
  std::string data;
  for (int y = 0; y < rows; ++y) {
    for (int left = width; left > 0; left -= 255) {
      data += static_cast<char>(std::min(left, 255));
      data += '\x11';
    }
    data += std::string("\0\0", 2);  // end of line
  }
  return data + std::string("\0\x01", 2);  // end of bitmap
}

std::string Prefix(const std::string& path, std::size_t bytes) {
  QFile file(QString::fromStdString(path));
  EXPECT_TRUE(file.open(QIODevice::ReadOnly));
  return file.read(static_cast<qint64>(bytes)).toStdString();
}

// A photograph whose pixel data ends early is refused, whatever its format
// and depth, rather than built as a picture with its missing part filled in.
TEST(ImageFilesTest, APhotographWhosePixelsEndEarlyIsRefused) {
  test::TempDir dir;
  const QImage noise = [] {
    const RgbImage pixels = test::NoisePhoto(640, 480, 5);
    return QImage(pixels.Data(), 640, 480, pixels.Stride(), QImage::Format_RGB888).copy();
  }();
  for (const char* format : {"JPEG", "PNG", "TIFF"})
    ASSERT_TRUE(noise.save(QString::fromStdString(dir.File(std::string("whole.") + format)), format));

  struct Case {
    const char* name;
    std::string bytes;
  } truncated[] = {
      {"rgb16.bmp", BitmapFile(640, 480, 16, 0, std::string(1000, '\x55'))},
      {"rle4.bmp", BitmapFile(640, 480, 4, 2, RunLengthRows(640, 480).substr(0, 3000))},
      {"rle8.bmp", BitmapFile(640, 480, 8, 1, RunLengthRows(640, 480).substr(0, 3000))},
      // A run-length stream that stops without its end-of-bitmap mark.
      {"rle8-unended.bmp", BitmapFile(64, 48, 8, 1, RunLengthRows(64, 10).substr(0, 10 * 4))},
      {"rgb24.bmp", BitmapFile(640, 480, 24, 0, std::string(1000, '\x55'))},
      {"photo.jpg", Prefix(dir.File("whole.JPEG"), 3000)},
      {"photo.png", Prefix(dir.File("whole.PNG"), 3000)},
      {"photo.tif", Prefix(dir.File("whole.TIFF"), 3000)},
  };
  for (const Case& c : truncated) {
    const qt::PhotoLoad load = qt::LoadPhoto(dir.Write(c.name, c.bytes));
    EXPECT_EQ(load.Photo, nullptr) << c.name;
    EXPECT_EQ(load.Problem, qt::PhotoProblem::NotAnImage) << c.name;
    EXPECT_FALSE(load.Failure.empty()) << c.name;
  }

  // The same formats whole still load.
  const std::string whole[] = {
      dir.Write("rgb16-whole.bmp", BitmapFile(64, 48, 16, 0, std::string(64 * 48 * 2, '\x55'))),
      dir.Write("rle4-whole.bmp", BitmapFile(640, 480, 4, 2, RunLengthRows(640, 480))),
      dir.Write("rle8-whole.bmp", BitmapFile(640, 480, 8, 1, RunLengthRows(640, 480))),
      // The end-of-bitmap mark may come early: the rows it skips are background.
      dir.Write("rle8-short.bmp", BitmapFile(64, 48, 8, 1, RunLengthRows(64, 10))),
      dir.File("whole.JPEG"),
      dir.File("whole.PNG"),
      dir.File("whole.TIFF"),
  };
  for (const std::string& path : whole) {
    const qt::PhotoLoad load = qt::LoadPhoto(path);
    EXPECT_NE(load.Photo, nullptr) << path << ": " << load.Failure;
  }
}

}  // namespace
}  // namespace vesk
