#include "gui/common/WindowPlacement.h"

#include <gtest/gtest.h>

#include <QWidget>

namespace vesk {
namespace {

TEST(WindowPlacementTest, AWindowLargerThanTheScreenIsShrunkAndCentredWhole) {
  QWidget window;
  const QRect area = gui::AvailableArea(window);
  ASSERT_FALSE(area.isEmpty());
  window.resize(area.width() + 500, area.height() + 300);
  gui::CentreOnScreen(window);
  EXPECT_EQ(window.frameGeometry(), area);

  window.resize(200, 100);
  gui::CentreOnScreen(window);
  EXPECT_EQ(window.frameGeometry().center(), area.center());
  EXPECT_EQ(window.size(), QSize(200, 100));
}

TEST(WindowPlacementTest, APlaceOffTheScreenIsMovedJustEnoughToBeWhole) {
  QWidget window;
  const QRect area = gui::AvailableArea(window);
  window.resize(300, 200);
  const struct {
    QPoint wanted;
    QPoint placed;
  } cases[] = {
      {area.topLeft() + QPoint(10, 20), area.topLeft() + QPoint(10, 20)},
      {QPoint(area.right() + 1000, area.top() + 5), QPoint(area.right() + 1 - 300, area.top() + 5)},
      {QPoint(-5000, -5000), area.topLeft()},
      {QPoint(area.left() + 7, area.bottom() - 10), QPoint(area.left() + 7, area.bottom() + 1 - 200)},
  };
  for (const auto& c : cases) {
    gui::PlaceOnScreen(window, c.wanted);
    EXPECT_EQ(window.pos(), c.placed) << c.wanted.x() << ", " << c.wanted.y();
  }
  window.move(area.right() - 10, area.bottom() - 10);
  gui::KeepOnScreen(window);
  EXPECT_TRUE(area.contains(window.frameGeometry()));
}

TEST(WindowPlacementTest, AWindowThatCannotShrinkEnoughKeepsItsTitleBarOnTheScreen) {
  QWidget window;
  const QRect area = gui::AvailableArea(window);
  window.setMinimumSize(area.width() + 100, area.height() + 100);
  window.resize(window.minimumSize());
  gui::PlaceOnScreen(window, area.center());
  EXPECT_EQ(window.size(), window.minimumSize());
  EXPECT_EQ(window.pos(), area.topLeft());
}

}  // namespace
}  // namespace vesk
