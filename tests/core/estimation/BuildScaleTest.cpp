#include "estimation/BuildScale.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/estimation/EstimationTestSupport.h"

namespace vesk {
namespace {

using test::Points;

TEST(BuildScaleTest, SceneLengthOfOnePixelAveragedOverBothPhotographs) {
  EXPECT_EQ(AutoBuildScale(Points({{0, 0}, {100, 0}}), Points({{0, 0}, {50, 0}}), Points({{0, 0}, {0, 25}})), 3.0);
}

TEST(BuildScaleTest, TheFirstOfEquallyDistantPairsWins) {
  // Both diagonals of the square are farthest; pair (0, 2) is found first.
  const VT_Points scene = Points({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
  const VT_Points photo = Points({{0, 0}, {7, 0}, {2, 0}, {0, 1}});
  const double diagonal = std::sqrt(200.0);
  EXPECT_EQ(AutoBuildScale(scene, photo, photo), (diagonal / 2 + diagonal / 2) * 0.5);
}

TEST(BuildScaleTest, RefusesWhenNoFinitePositiveStepResults) {
  struct Case {
    const char* name;
    VT_Points scene;
    VT_Points first;
    VT_Points second;
  } cases[] = {
      {"one scene point", Points({{0, 0}}), Points({{0, 0}, {5, 5}}), Points({{0, 0}, {5, 5}})},
      {"no scene point", Points({}), Points({{0, 0}}), Points({{0, 0}})},
      {"the farthest points coincide in a photograph", Points({{0, 0}, {100, 0}}), Points({{3, 3}, {3, 3}}),
       Points({{0, 0}, {10, 0}})},
      {"identical scene points", Points({{5, 5}, {5, 5}}), Points({{0, 0}, {1, 0}}), Points({{0, 0}, {1, 0}})},
      {"a photograph list too short", Points({{0, 0}, {100, 0}}), Points({{0, 0}}), Points({{0, 0}, {1, 0}})},
  };
  for (const Case& c : cases) EXPECT_FALSE(AutoBuildScale(c.scene, c.first, c.second)) << c.name;
}

}  // namespace
}  // namespace vesk
