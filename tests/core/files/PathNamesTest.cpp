#include "files/PathNames.h"

#include <gtest/gtest.h>

namespace vesk {
namespace {

TEST(PathNamesTest, BareNamesFolderRelativeNamesAndCompanions) {
  EXPECT_EQ(BareName("/data/set/left.bmp"), "left.bmp");
  EXPECT_EQ(BareName("left.bmp"), "left.bmp");
  EXPECT_EQ(BareName("/data/set/"), "");

  EXPECT_EQ(FolderRelativePath("b.crd", "/set/a.crd"), "/set/b.crd");
  EXPECT_EQ(FolderRelativePath("b.crd", "a.crd"), "b.crd");
  EXPECT_EQ(FolderRelativePath("b.crd", ""), "b.crd");
  EXPECT_EQ(FolderRelativePath("sub/b.crd", "/set/a.crd"), "/set/sub/b.crd");
  EXPECT_EQ(FolderRelativePath("/other/b.crd", "/set/a.crd"), "/other/b.crd");

  EXPECT_EQ(CompanionPath("/set/left.bmp", "crd"), "/set/left.crd");
  // The last three characters, whatever they are: a four-letter extension
  // keeps its first letter, as the pairing rule has always done.
  EXPECT_EQ(CompanionPath("/set/left.tiff", "crd"), "/set/left.tcrd");
  EXPECT_EQ(CompanionPath("ab", "crd"), "crd");
}

}  // namespace
}  // namespace vesk
