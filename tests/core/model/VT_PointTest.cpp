#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "model/VT_Points.h"

namespace vesk {
namespace {

class RecordingCanvas : public Canvas {
 public:
  std::vector<ColorValue> Pens, Brushes;
  std::vector<std::array<int, 4>> Rectangles;
  void SetSolidPen(ColorValue color) override { Pens.push_back(color); }
  void SetSolidBrush(ColorValue color) override { Brushes.push_back(color); }
  void Rectangle(int left, int top, int right, int bottom) override {
    Rectangles.push_back({left, top, right, bottom});
  }
};

TEST(VT_PointTest, ExtentIsThePointItself) {
  const VT_Point point(1.5, -2);
  EXPECT_EQ(point.GetMaxX(), 1.5);
  EXPECT_EQ(point.GetMinX(), 1.5);
  EXPECT_EQ(point.GetMaxY(), -2);
  EXPECT_EQ(point.GetMinY(), -2);
}

struct DrawCase {
  double x, y;
  int originX, originY;
  double scaleX, scaleY;
  std::array<int, 4> expected;  // left, top, right, bottom
};

TEST(VT_PointTest, DrawPaintsOneCellWithTruncatedCorners) {
  const DrawCase cases[] = {
      {1.5, 2.0, 0, 0, 2, 3, {6, 3, 9, 5}},       // truncation, not rounding
      {-1.5, -2.5, 0, 0, 1, 1, {-2, -1, -1, 0}},  // toward zero for negatives
      {10, 20, 5, 15, 0.5, 0.5, {2, 2, 3, 3}},    // the origin is subtracted first
  };
  for (const DrawCase& c : cases) {
    VT_Point point(c.x, c.y);
    point.Color = 0x0000FF;
    RecordingCanvas canvas;
    point.Draw(canvas, c.originX, c.originY, c.scaleX, c.scaleY);
    ASSERT_EQ(canvas.Rectangles.size(), 1u);
    EXPECT_EQ(canvas.Rectangles[0], c.expected) << "point " << c.x << ", " << c.y;
    EXPECT_EQ(canvas.Pens, std::vector<ColorValue>{0x0000FF});
    EXPECT_EQ(canvas.Brushes, std::vector<ColorValue>{0x0000FF});
  }
}

}  // namespace
}  // namespace vesk
