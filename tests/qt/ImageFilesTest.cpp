#include "qt/ImageFiles.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QImageReader>
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
