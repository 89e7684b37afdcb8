#include <gtest/gtest.h>

#include <sstream>

#include "files/CoordinateFile.h"
#include "support/RecordingDialogs.h"
#include "support/TempDir.h"

namespace vesk {
namespace {

using Points = std::vector<std::pair<double, double>>;

Points Contents(const VT_Points& list) {
  Points points;
  for (int i = 0; i < list.Count(); ++i) points.emplace_back(list.Get(i)->X, list.Get(i)->Y);
  return points;
}

struct ReadCase {
  const char* name;
  std::string bytes;
  NumberFormat format;
  bool ok;
  Points points;   // what the list holds afterwards
  int failedLine;  // 0 when the read succeeds
};

class CoordinateReadTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(CoordinateReadTest, ReadsOrStopsAtTheBadLine) {
  const ReadCase& c = GetParam();
  VT_Points points(kOwnsItems);
  points.Add(new VT_Point(99, 99));  // the reader clears what was there
  test::RecordingDialogs dialogs;
  ReadFailure failure;
  std::istringstream in(c.bytes);
  EXPECT_EQ(test::Shown(ReadPointFile(in, points, c.format), dialogs, &failure), c.ok);
  EXPECT_EQ(Contents(points), c.points);
  if (c.ok) {
    EXPECT_TRUE(dialogs.Entries.empty());
  } else {
    ASSERT_EQ(dialogs.Entries.size(), 1u);
    EXPECT_EQ(dialogs.Entries[0].Caption, "Ошибка!");
    EXPECT_EQ(dialogs.Entries[0].Text, "Ошибка чтения файла сцены!");
    EXPECT_EQ(failure.Line, c.failedLine);
  }
}

const NumberFormat kComma = NumberFormat::Comma();
const NumberFormat kDot = NumberFormat::Dot();

INSTANTIATE_TEST_SUITE_P(
    Cases, CoordinateReadTest,
    ::testing::Values(
        ReadCase{"EmptyFile", "", kComma, true, {}, 0},
        ReadCase{"RussianComma", "12,5;7\r\n12,5 ; 7\r\n", kComma, true, {{12.5, 7}, {12.5, 7}}, 0},
        ReadCase{"DotUnderComma", "1;2\r\n12.5;7\r\n", kComma, false, {{1, 2}}, 2},
        ReadCase{"DotSeparator", "241.3397 ; 89.6233\n-1.5;2", kDot, true, {{241.3397, 89.6233}, {-1.5, 2}}, 0},
        ReadCase{"CommaUnderDot", "12,5;7", kDot, false, {}, 1},
        ReadCase{"Exponents", "1E3;-2e-1\r", kDot, true, {{1000, -0.2}}, 0},
        ReadCase{"FinalBreakAddsNoPoint", "1;2\r\n3;4\r\n", kDot, true, {{1, 2}, {3, 4}}, 0},
        ReadCase{"BlankLineInTheMiddle", "1;2\r\n\r\n3;4\r\n", kDot, false, {{1, 2}}, 2},
        ReadCase{"TwoFinalBreaks", "1;2\r\n\r\n", kDot, false, {{1, 2}}, 2},
        ReadCase{"ThirdField", "1;2;3", kDot, false, {}, 1},
        ReadCase{"NoSemicolon", "1;2\n1 2\n", kDot, false, {{1, 2}}, 2}, ReadCase{"MissingY", "1;", kDot, false, {}, 1},
        ReadCase{"TabBeforeNumber", "1;\t2", kDot, false, {}, 1},
        ReadCase{"ThousandsSeparator", "1 000,5;2", kComma, false, {}, 1},
        ReadCase{"Cp1251TextIsNotANumber", "1;\xCA\xEE", kDot, false, {}, 1},
        ReadCase{"MixedLineEnds", "1;2\r3;4\n5;6\r\n", kDot, true, {{1, 2}, {3, 4}, {5, 6}}, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// The windows name the file, the line and what is wrong with it below the
// reader's message, which is the same for every file and every fault.
TEST(CoordinateFileTest, AFailureNamesTheFileTheLineAndTheReason) {
  test::TempDir dir;
  struct Case {
    const char* contents;
    const char* below;  // the line under the message, after the path
  } cases[] = {
      {"1;2\r\n\r\n3;4\r\n", ", строка 2: пустая строка"},
      {"1;2\r\n3 4\r\n", ", строка 2: нет знака «;» между двумя числами"},
      {"1;2;note\r\n", ", строка 1: больше одного знака «;»"},
      {"1;2\r\n3;4\r\n12,5 ; 7\r\n", ", строка 3: «12,5» — не число с десятичным разделителем «.»"},
      {"1; abc \r\n", ", строка 1: «abc» — не число с десятичным разделителем «.»"},
  };
  for (const Case& c : cases) {
    const std::string path = dir.Write("points.crd", c.contents);
    VT_Points points(kOwnsItems);
    const auto failure = ReadPointFile(path, points, NumberFormat::Dot());
    ASSERT_TRUE(failure) << c.contents;
    EXPECT_EQ(failure->Message.Text, "Ошибка чтения файла сцены!");
    EXPECT_EQ(failure->DetailedText(), "Ошибка чтения файла сцены!\n" + path + c.below);
  }
  // A missing file's message names it already: nothing is added.
  VT_Points points(kOwnsItems);
  const auto missing = ReadPointFile(dir.File("none.crd"), points, NumberFormat::Dot());
  ASSERT_TRUE(missing);
  EXPECT_EQ(missing->DetailedText(), "Файл " + dir.File("none.crd") + " не найден!");
}

TEST(CoordinateFileTest, MissingFileLeavesTheListAlone) {
  test::TempDir dir;
  VT_Points points(kOwnsItems);
  points.Add(new VT_Point(1, 2));
  test::RecordingDialogs dialogs;
  const std::string path = dir.File("nowhere.crd");
  EXPECT_FALSE(test::Shown(ReadPointFile(path, points, kDot), dialogs));
  EXPECT_EQ(Contents(points), (Points{{1, 2}}));
  ASSERT_EQ(dialogs.Entries.size(), 1u);
  EXPECT_EQ(dialogs.Entries[0].Caption, "Ошибка!");
  EXPECT_EQ(dialogs.Entries[0].Text, "Файл " + path + " не найден!");
}

TEST(CoordinateFileTest, ShippedFilesRead) {
  test::RecordingDialogs dialogs;
  VT_Points points(kOwnsItems);
  const auto dir = test::ExamplesDir() / "chessboard";
  ASSERT_TRUE(test::Shown(ReadPointFile((dir / "left01.crd").string(), points, kDot), dialogs));
  EXPECT_EQ(points.Count(), 54);
  EXPECT_EQ(points.Get(0)->X, 241.3397);
  EXPECT_EQ(points.Get(0)->Y, 89.6233);
}

TEST(CoordinateFileTest, WrittenFileReadsBackUnderEitherSeparator) {
  test::TempDir dir;
  VT_Points points(kOwnsItems);
  points.Add(new VT_Point(12.5, -7));
  points.Add(new VT_Point(1.5e-7, 1e20));
  for (const NumberFormat& format : {kComma, kDot}) {
    const std::string path = dir.File("out.crd");
    ASSERT_TRUE(WritePointFile(path, points, format));
    const std::string expected =
        format.DecimalSeparator == ',' ? "12,5 ; -7\r\n1,5E-7 ; 1E20\r\n" : "12.5 ; -7\r\n1.5E-7 ; 1E20\r\n";
    EXPECT_EQ(dir.Read("out.crd"), expected);
    test::RecordingDialogs dialogs;
    VT_Points back(kOwnsItems);
    ASSERT_TRUE(test::Shown(ReadPointFile(path, back, format), dialogs));
    EXPECT_EQ(Contents(back), Contents(points));
  }
}

}  // namespace
}  // namespace vesk
