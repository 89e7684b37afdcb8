#include <gtest/gtest.h>

#include "progress/ElapsedTime.h"

namespace vesk {
namespace {

TEST(ElapsedTimeTest, FieldByFieldWithBorrows) {
  struct Case {
    TimeOfDay start, now;
    const char* text;
  };
  const Case cases[] = {
      {{10, 0, 59}, {11, 0, 0}, "0 : 59 : 1"},   {{10, 15, 20}, {10, 17, 5}, "0 : 1 : 45"},
      {{10, 15, 20}, {10, 15, 20}, "0 : 0 : 0"}, {{8, 0, 0}, {10, 2, 7}, "2 : 2 : 7"},
      {{23, 59, 50}, {0, 0, 5}, "0 : 0 : 15"},  // across midnight: no negative hour
      {{22, 30, 0}, {1, 15, 0}, "2 : 45 : 0"},
  };
  for (const Case& c : cases) EXPECT_EQ(ElapsedTimeText(c.start, c.now), c.text);
}

}  // namespace
}  // namespace vesk
