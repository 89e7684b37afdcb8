#include <gtest/gtest.h>

#include "files/IniFile.h"

namespace vesk {
namespace {

const char* const kFile =
    "; made by hand\r\n"
    "Stray=before any section\r\n"
    "[Images]\r\n"
    "  image1 =  /a/left.bmp  \r\n"
    "Image2=/a/right.bmp\r\n"
    "\r\n"
    "[Other]\r\n"
    "Key=value\r\n"
    "not a key line\r\n"
    "[IMAGES]\r\n"
    "Image3=second section of the same name\r\n";

TEST(IniFileTest, LooksUpWithoutRegardToCaseAndTrimsValues) {
  const IniFile ini(kFile);
  EXPECT_EQ(ini.Read("images", "IMAGE1"), "/a/left.bmp");
  EXPECT_EQ(ini.Read("Images", "Image2"), "/a/right.bmp");
  EXPECT_EQ(ini.Read("other", "key"), "value");
  EXPECT_EQ(ini.Read("Images", "Image3"), std::nullopt);  // the first section of a name counts
  EXPECT_EQ(ini.Read("", "Stray"), std::nullopt);
  EXPECT_EQ(ini.Read("Missing", "Key", "fallback"), "fallback");
  EXPECT_EQ(ini.LineOf("IMAGES", "image2"), 5);
  EXPECT_EQ(ini.LineOf("Images", "Nope"), 0);
}

TEST(IniFileTest, WritesInPlaceAtTheEndOfTheSectionOrOfTheFile) {
  IniFile ini(kFile);
  ini.Write("IMAGES", "Image1", "/b/left.bmp");  // replaces the line where it stands
  ini.Write("images", "Image9", "/b/new.bmp");   // after the section's last key, before the blank line
  ini.Write("Fresh", "K", "v");                  // a new section at the end
  ini.Write("fresh", "L", "w");
  EXPECT_EQ(ini.Bytes(),
            "; made by hand\r\n"
            "Stray=before any section\r\n"
            "[Images]\r\n"
            "Image1=/b/left.bmp\r\n"
            "Image2=/a/right.bmp\r\n"
            "Image9=/b/new.bmp\r\n"
            "\r\n"
            "[Other]\r\n"
            "Key=value\r\n"
            "not a key line\r\n"
            "[IMAGES]\r\n"
            "Image3=second section of the same name\r\n"
            "[Fresh]\r\n"
            "K=v\r\n"
            "L=w\r\n");
  const IniFile again(ini.Bytes());
  EXPECT_EQ(again.Read("images", "image9"), "/b/new.bmp");
  EXPECT_EQ(again.Read("Fresh", "L"), "w");
}

TEST(IniFileTest, EmptySectionGetsItsKeyRightBelowTheHeader) {
  IniFile ini("[A]\n[B]\nx=1\n");
  ini.Write("A", "k", "v");
  EXPECT_EQ(ini.Bytes(), "[A]\r\nk=v\r\n[B]\r\nx=1\r\n");
}

TEST(IniFileTest, ByteOrderMarkIsNoPartOfTheFirstHeaderAndStays) {
  IniFile ini("\xEF\xBB\xBF[Images]\r\nImage1=a\r\n");
  EXPECT_EQ(ini.Read("Images", "Image1"), "a");
  ini.Write("Images", "Image2", "b");
  EXPECT_EQ(ini.Bytes(), "\xEF\xBB\xBF[Images]\r\nImage1=a\r\nImage2=b\r\n");
}

}  // namespace
}  // namespace vesk
