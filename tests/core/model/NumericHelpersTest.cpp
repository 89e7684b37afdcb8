#include <gtest/gtest.h>

#include "model/NumericHelpers.h"

namespace vesk {
namespace {

TEST(NumericHelpersTest, RoundHalfAwayFromZero) {
  const std::pair<double, int> cases[] = {
      {2.5, 3}, {-2.5, -3}, {2.4999, 2}, {0, 0}, {5.0, 5}, {-0.5, -1}, {-7.6, -8}, {1e9 + 0.5, 1000000001},
  };
  for (const auto& [x, expected] : cases) EXPECT_EQ(RoundHalfAway(x), expected) << x;
}

TEST(NumericHelpersTest, FactorialInDoublePrecision) {
  EXPECT_EQ(Factorial(0), 1.0);
  EXPECT_EQ(Factorial(-3), 1.0);
  EXPECT_EQ(Factorial(1), 1.0);
  EXPECT_EQ(Factorial(5), 120.0);
  EXPECT_EQ(Factorial(20), 2432902008176640000.0);  // beyond 32-bit, exact in double
  EXPECT_NEAR(Factorial(100), 9.33262154439441e157, 1e144);
}

}  // namespace
}  // namespace vesk
