#include "gui/render/ReferenceMarks.h"

#include <gtest/gtest.h>

namespace vesk {
namespace {

using gui::CrossFor;
using gui::MarkCross;

TEST(ReferenceMarksTest, CrossesStandWhereTheResultModePutsThePoint) {
  struct Case {
    const char* name;
    double x, y;
    int mode, height;
    MarkCross cross;  // row, left, right, column, top, bottom
  } cases[] = {
      {"scene plane: y counts from the bottom", 100, 50, 9, 400, {350, 90, 110, 100, 340, 360}},
      {"photograph frame: y is the row", 100, 50, 7, 400, {50, 90, 110, 100, 40, 60}},
      {"forward scene plane too", 100, 50, 4, 400, {350, 90, 110, 100, 340, 360}},
      {"a line may start left of the picture", 5, 50, 0, 400, {50, -5, 15, 5, 40, 60}},
      {"truncation toward zero on both sides of 0", 3.5, 2.5, 2, 400, {2, -6, 13, 3, -7, 12}},
      {"the scene row is truncated after the flip", 10, 0.5, 11, 100, {99, 0, 20, 10, 89, 109}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(CrossFor(c.x, c.y, static_cast<BuildMode>(c.mode), c.height), c.cross) << c.name;

  // A point far outside every picture still gives a cross outside it.
  const MarkCross far = CrossFor(1e300, -1e300, BuildMode::FirstToSecond, 400);
  EXPECT_GT(far.Left, 1 << 28);
  EXPECT_LT(far.Row, -(1 << 28));
}

TEST(ReferenceMarksTest, ReadingStopsAtTheFirstLineThatIsNoPointAndKeepsTheCrossesBefore) {
  const NumberFormat comma = NumberFormat::Comma();
  const auto read = [&](std::vector<std::string> lines) {
    return gui::ReadMarks(lines, comma, BuildMode::FirstToSecondInterpolated, 400);
  };
  const gui::MarkReading good = read({"10 ; 20", "30,5;40", "-1;1E2"});
  EXPECT_FALSE(good.Failed);
  ASSERT_EQ(good.Crosses.size(), 3u);
  EXPECT_EQ(good.Crosses[1].Column, 30);
  EXPECT_EQ(good.Crosses[2].Row, 100);

  for (const char* bad : {"", "5", "1;2;3", "a;2", "1.5;2"}) {
    const gui::MarkReading reading = read({"10;20", "30;40", bad, "50;60"});
    EXPECT_TRUE(reading.Failed) << bad;
    EXPECT_EQ(reading.Crosses.size(), 2u) << bad;
  }
}

}  // namespace
}  // namespace vesk
