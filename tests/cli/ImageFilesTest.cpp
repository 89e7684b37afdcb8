#include <gtest/gtest.h>

#include "ImageFiles.h"
#include "support/TempDir.h"

namespace vesk {
namespace {

TEST(ImageFilesTest, ReadsThePhotographSize) {
  const auto size = cli::ReadImageSize((test::ExamplesDir() / "aloe" / "aloeL.bmp").string());
  ASSERT_TRUE(size.has_value());
  EXPECT_EQ(size->Width, 641);
  EXPECT_EQ(size->Height, 555);
  test::TempDir dir;
  EXPECT_FALSE(cli::ReadImageSize(dir.Write("not-an-image.bmp", "hello")).has_value());
  EXPECT_FALSE(cli::ReadImageSize(dir.File("missing.bmp")).has_value());
}

}  // namespace
}  // namespace vesk
