#include <gtest/gtest.h>

#include <sstream>

#include "files/TextFile.h"
#include "support/TempDir.h"

namespace vesk {
namespace {

using Lines = std::vector<std::string>;

TEST(TextFileTest, SplitsAtEveryKindOfLineBreak) {
  struct Case {
    std::string bytes;
    Lines lines;
  };
  const Case cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\n", {"a"}},  // a final line break adds no line
      {"a\r\nb", {"a", "b"}},
      {"a\nb\n", {"a", "b"}},
      {"a\rb\r", {"a", "b"}},
      {"a\r\n\r\nb", {"a", "", "b"}},  // an empty line in the middle stays
      {"a\n\n", {"a", ""}},
      {"a\r\rb", {"a", "", "b"}},
      {"a\n\rb", {"a", "", "b"}},  // LF CR is two breaks
      {"\xEF\xBB\xBF"
       "1;2\r\n",
       {"1;2"}},
      {"x ; \xCA\xEE\xEC\r\n", {"x ; \xCA\xEE\xEC"}},  // Windows-1251 bytes pass untouched
  };
  for (const Case& c : cases) EXPECT_EQ(SplitLines(c.bytes), c.lines) << c.bytes;
}

TEST(TextFileTest, LineValueAndTrimming) {
  EXPECT_EQ(LineValue("12 ; comment; more"), "12 ");
  EXPECT_EQ(LineValue("no semicolon"), "");
  EXPECT_EQ(LineValue(";x"), "");
  EXPECT_EQ(TrimTrailingBlanks("table.txt  "), "table.txt");
  EXPECT_EQ(TrimTrailingBlanks("  "), "");
}

TEST(TextFileTest, WritesCrLfAndReplacesTheOldFileWhole) {
  test::TempDir dir;
  const std::string path = dir.Write("out.txt", "old contents that are longer than the new ones\r\n");
  ASSERT_TRUE(WriteTextFileReplacing(path, {"1 ; 2", "Координата"}));
  EXPECT_EQ(dir.Read("out.txt"), "1 ; 2\r\nКоордината\r\n");
  Lines lines;
  ASSERT_TRUE(LoadTextLines(path, lines));
  EXPECT_EQ(lines, (Lines{"1 ; 2", "Координата"}));
  // Nothing is left beside the file.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

TEST(TextFileTest, FailedWriteLeavesNoFile) {
  test::TempDir dir;
  EXPECT_FALSE(WriteTextFileReplacing(dir.File("missing-folder/out.txt"), {"x"}));
  Lines lines;
  EXPECT_FALSE(LoadTextLines(dir.File("missing.txt"), lines));
  EXPECT_FALSE(LoadTextLines(dir.Path().string(), lines));  // a folder is not a text file
}

}  // namespace
}  // namespace vesk
