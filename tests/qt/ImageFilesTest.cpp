#include <gtest/gtest.h>

#include "qt/ImageFiles.h"
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
