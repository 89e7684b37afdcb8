#pragma once

#include <QImage>
#include <QPointF>
#include <QWidget>
#include <vector>

namespace vesk::gui {

// A magnifier in a corner of a photograph's view while a point is placed or
// dragged: the photograph around the pointer, whole pixels as blocks, with a
// cross-hair at the exact position a click puts the point at, and the
// nearby marks as crosses. It moves to the opposite corner when the pointer
// comes near its own.
class PointLoupe : public QWidget {
  Q_OBJECT

 public:
  explicit PointLoupe(QWidget* viewport);

  // Magnified this many screen pixels per photograph pixel: at least four
  // times the view's zoom, and never below eight.
  static double Magnification(double zoom);
  static constexpr int kSide = 120;

  // Shows the photograph around `at` (photograph pixels, continuous);
  // `pointer` is the pointer's position in the viewport, `marks` the marks
  // to draw (photograph pixels).
  void ShowAt(const QImage& photo, QPointF at, double zoom, QPoint pointer, std::vector<QPointF> marks);
  QPointF Centre() const { return at_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage photo_;
  QPointF at_;
  double magnification_ = 8;
  std::vector<QPointF> marks_;
};

}  // namespace vesk::gui
