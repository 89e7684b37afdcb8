#include "gui/workspace/PhotoView.h"

#include <gtest/gtest.h>

#include <QScrollBar>
#include <QTest>

#include "support/NoisePhoto.h"

namespace vesk {
namespace {

qt::SharedPhoto Photo(int width, int height) {
  return std::make_shared<const RgbImage>(test::NoisePhoto(width, height, 3));
}

TEST(PhotoViewTest, ShowsThePhotographOnePixelPerPixelWithoutCopyingIt) {
  gui::PhotoView view;
  view.resize(300, 200);
  qt::SharedPhoto photo = Photo(640, 480);
  view.SetPhoto(photo);
  EXPECT_EQ(view.Picture().Image().constBits(), photo->Data());
  EXPECT_EQ(view.Picture().size(), QSize(640, 480) / view.Picture().devicePixelRatioF());
  EXPECT_EQ(view.Picture().Zoom(), 1.0);

  // Replaced by a smaller one, the view takes its size; the old photograph
  // is no longer held.
  std::weak_ptr<const RgbImage> old = photo;
  photo.reset();
  view.SetPhoto(Photo(100, 50));
  EXPECT_TRUE(old.expired());
  EXPECT_EQ(view.Picture().PictureSize(), QSize(100, 50));
  view.SetPhoto(nullptr);
  EXPECT_TRUE(view.Picture().PictureSize().isEmpty());
}

TEST(PhotoViewTest, MarksAreDrawnOverThePhotographAtTheirPosition) {
  gui::PhotoView view;
  view.resize(300, 200);
  const RgbImage white(200, 100);
  view.SetPhoto(std::make_shared<const RgbImage>(white));
  view.SetMarks({gui::PhotoMark{50, 40, QColor(0, 0, 255), {}}});
  view.show();
  const QImage shown = view.Picture().grab().toImage();
  const double scale = view.Picture().Scale() * view.Picture().devicePixelRatioF();
  EXPECT_EQ(shown.pixelColor(static_cast<int>(50 * scale) + 3, static_cast<int>(40 * scale)), QColor(0, 0, 255));
  EXPECT_EQ(shown.pixelColor(static_cast<int>(50 * scale) + 20, static_cast<int>(40 * scale)), QColor(Qt::white));
}

TEST(PhotoViewTest, AnOutlineFollowsTheZoomAndKeepsItsWidth) {
  gui::PhotoView view;
  view.resize(400, 300);
  const RgbImage white(200, 100);
  view.SetPhoto(std::make_shared<const RgbImage>(white));
  view.SetOutline(gui::PhotoOutline{{{20, 10}, {120, 10}, {120, 60}, {20, 60}}, QColor(255, 255, 0)});
  view.show();
  for (const double zoom : {1.0, 1.5}) {
    view.SetZoom(zoom);
    const QImage shown = view.Picture().grab().toImage();
    const double scale = view.Picture().Scale() * view.Picture().devicePixelRatioF();
    const int top = static_cast<int>(10 * scale);
    const int middle = static_cast<int>(70 * scale);
    EXPECT_EQ(shown.pixelColor(middle, top), QColor(255, 255, 0)) << zoom;
    // A dark border beside the line, the photograph beyond it.
    EXPECT_LT(shown.pixelColor(middle, top - 1).lightness(), 128) << zoom;
    EXPECT_EQ(shown.pixelColor(middle, top - 3), QColor(Qt::white)) << zoom;
    EXPECT_EQ(shown.pixelColor(middle, static_cast<int>(35 * scale)), QColor(Qt::white)) << zoom << ": not filled";
  }
  view.SetOutline({});
  const QImage cleared = view.Picture().grab().toImage();
  const double scale = view.Picture().Scale() * view.Picture().devicePixelRatioF();
  EXPECT_EQ(cleared.pixelColor(static_cast<int>(70 * scale), static_cast<int>(10 * scale)), QColor(Qt::white));
}

TEST(PhotoViewTest, LockedViewsZoomAndScrollTogether) {
  gui::PhotoView left, right;
  for (gui::PhotoView* view : {&left, &right}) {
    view->resize(200, 150);
    view->SetPhoto(Photo(800, 600));
    view->show();
  }
  gui::ViewLock lock(left, right);
  left.horizontalScrollBar()->setValue(120);
  EXPECT_EQ(right.horizontalScrollBar()->value(), 0) << "unlocked";

  lock.SetLocked(true);
  EXPECT_EQ(right.horizontalScrollBar()->value(), 120);
  right.SetZoom(2.0);
  EXPECT_EQ(left.Picture().Zoom(), 2.0);
  EXPECT_EQ(left.horizontalScrollBar()->value(), right.horizontalScrollBar()->value());
  left.verticalScrollBar()->setValue(77);
  EXPECT_EQ(right.verticalScrollBar()->value(), 77);

  lock.SetLocked(false);
  left.ActualSize();
  EXPECT_EQ(right.Picture().Zoom(), 2.0);
}

TEST(PhotoViewTest, LabelsThatWouldOverlapAreLeftOutAndAHugeSetDrawsABoundedShare) {
  gui::PhotoView view;
  view.resize(300, 200);
  view.SetPhoto(Photo(400, 300));
  view.SetMarks({gui::PhotoMark{50, 40, QColor(255, 0, 0), "1"}, gui::PhotoMark{51, 40, QColor(255, 0, 0), "2"},
                 gui::PhotoMark{150, 40, QColor(255, 0, 0), "3"}});
  EXPECT_TRUE(view.LabelShown(0));
  EXPECT_FALSE(view.LabelShown(1));  // on top of the first
  EXPECT_TRUE(view.LabelShown(2));
  // Zoomed in, the first two stand apart.
  view.SetZoom(8);
  EXPECT_TRUE(view.LabelShown(1));

  view.SetZoom(1);
  std::vector<gui::PhotoMark> many;
  for (int i = 0; i < 100000; ++i)
    many.push_back(gui::PhotoMark{static_cast<double>(i % 400), static_cast<double>(i / 400 % 300), QColor(255, 0, 0),
                                  QString::number(i + 1)});
  view.SetMarks(std::move(many));
  view.show();
  view.Picture().grab();
  EXPECT_GT(view.DrawnMarks(), 0u);
  EXPECT_LE(view.DrawnMarks(), gui::PhotoView::kMaxDrawnMarks);
}

}  // namespace
}  // namespace vesk
