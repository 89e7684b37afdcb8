#include "gui/workspace/PhotoView.h"

#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_map>

namespace vesk::gui {

PhotoView::PhotoView(QWidget* parent) : ImageScrollArea(parent) {
  Picture().SetOverlay([this](QPainter& painter, double scale) {
    PaintOutline(painter, scale);
    PaintMarks(painter, scale);
  });
}

void PhotoView::SetPhoto(qt::SharedPhoto photo) {
  photo_ = std::move(photo);
  Picture().SetImage(qt::DisplayImage(photo_));
}

void PhotoView::SetMarks(std::vector<PhotoMark> marks) {
  marks_ = std::move(marks);
  labelScale_ = 0;
  Picture().update();
}

QRectF PhotoView::MarkBounds(const PhotoMark& mark, double scale) const {
  const QPointF at(mark.X * scale, mark.Y * scale);
  const double labelWidth = mark.Label.isEmpty() ? 0 : Picture().fontMetrics().horizontalAdvance(mark.Label) + 4;
  const double labelHeight = Picture().fontMetrics().height();
  return QRectF(at.x() - kMarkArm - 2, at.y() - std::max<double>(kMarkArm, labelHeight) - 2,
                2 * kMarkArm + 4 + labelWidth + 2, kMarkArm + std::max<double>(kMarkArm, labelHeight) + 4);
}

void PhotoView::MoveMark(std::size_t index, double x, double y) {
  if (index >= marks_.size()) return;
  const double scale = Picture().Scale();
  const QRect before = MarkBounds(marks_[index], scale).toAlignedRect();
  marks_[index].X = x;
  marks_[index].Y = y;
  Picture().update(before.united(MarkBounds(marks_[index], scale).toAlignedRect()));
}

bool PhotoView::LabelShown(std::size_t index) const {
  if (labelScale_ != Picture().Scale()) LayOutLabels(Picture().Scale());
  return index < labelShown_.size() && labelShown_[index];
}

// Greedy, in the marks' order: a label is shown when its box meets no box
// shown before it. Boxes are found through a grid of label-sized cells, so
// the cost grows with the count of marks, not its square.
void PhotoView::LayOutLabels(double scale) const {
  labelScale_ = scale;
  labelShown_.assign(marks_.size(), false);
  const QFontMetrics metrics = Picture().fontMetrics();
  const double cellWidth = std::max(8, metrics.horizontalAdvance(QStringLiteral("0000")));
  const double cellHeight = std::max(8, metrics.height());
  std::unordered_map<std::int64_t, std::vector<QRectF>> cells;
  const auto key = [](std::int64_t column, std::int64_t row) { return (column << 32) ^ (row & 0xffffffff); };
  for (std::size_t i = 0; i < marks_.size(); ++i) {
    const PhotoMark& mark = marks_[i];
    if (mark.Label.isEmpty()) continue;
    const QPointF at(mark.X * scale + kMarkArm + 2, mark.Y * scale - 2 - metrics.ascent());
    const QRectF box(at, QSizeF(metrics.horizontalAdvance(mark.Label), metrics.height()));
    const auto c0 = static_cast<std::int64_t>(std::floor(box.left() / cellWidth));
    const auto c1 = static_cast<std::int64_t>(std::floor(box.right() / cellWidth));
    const auto r0 = static_cast<std::int64_t>(std::floor(box.top() / cellHeight));
    const auto r1 = static_cast<std::int64_t>(std::floor(box.bottom() / cellHeight));
    bool free = true;
    for (std::int64_t c = c0; c <= c1 && free; ++c)
      for (std::int64_t r = r0; r <= r1 && free; ++r) {
        const auto found = cells.find(key(c, r));
        if (found == cells.end()) continue;
        for (const QRectF& other : found->second)
          if (other.intersects(box)) {
            free = false;
            break;
          }
      }
    if (!free) continue;
    labelShown_[i] = true;
    for (std::int64_t c = c0; c <= c1; ++c)
      for (std::int64_t r = r0; r <= r1; ++r) cells[key(c, r)].push_back(box);
  }
}

void PhotoView::SetOutline(PhotoOutline outline) {
  outline_ = std::move(outline);
  Picture().update();
}

void PhotoView::PaintOutline(QPainter& painter, double scale) const {
  if (outline_.Corners.size() < 2) return;
  QPolygonF polygon;
  for (const QPointF& corner : outline_.Corners) polygon << corner * scale;
  painter.save();
  painter.resetTransform();
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(QColor(0, 0, 0, 160), 3));
  painter.drawPolygon(polygon);
  painter.setPen(QPen(outline_.Colour, 1));
  painter.drawPolygon(polygon);
  painter.restore();
}

void PhotoView::PaintMarks(QPainter& painter, double scale) const {
  drawn_ = 0;
  if (marks_.empty()) return;
  if (labelScale_ != scale) LayOutLabels(scale);
  // Only the marks near the painted part: a point dragged among thousands
  // repaints a few of them.
  const QRectF painted =
      QRectF(Picture().PaintedRect()).adjusted(-kMarkArm - 2, -kMarkArm - 2, kMarkArm + 2, kMarkArm + 2);
  const QFontMetrics metrics = Picture().fontMetrics();
  const double labelReach = metrics.horizontalAdvance(QStringLiteral("00000")) + kMarkArm + 4;
  const QRectF reach = painted.adjusted(-labelReach, -kMarkArm, 0, metrics.height() + kMarkArm);
  std::vector<std::size_t> near;
  for (std::size_t i = 0; i < marks_.size(); ++i)
    if (reach.contains(marks_[i].X * scale, marks_[i].Y * scale)) near.push_back(i);
  const std::size_t stride = (near.size() + kMaxDrawnMarks - 1) / kMaxDrawnMarks;
  // Marks keep their screen size whatever the zoom: drawn in widget pixels.
  painter.save();
  painter.resetTransform();
  painter.setRenderHint(QPainter::Antialiasing, false);
  drawn_ = 0;
  for (std::size_t n = 0; n < near.size(); n += std::max<std::size_t>(stride, 1)) {
    ++drawn_;
    const std::size_t i = near[n];
    const PhotoMark& mark = marks_[i];
    const QPointF at(mark.X * scale, mark.Y * scale);
    painter.setPen(QPen(mark.Colour, mark.Bold ? 3 : 1));
    painter.drawLine(at - QPointF(kMarkArm, 0), at + QPointF(kMarkArm, 0));
    painter.drawLine(at - QPointF(0, kMarkArm), at + QPointF(0, kMarkArm));
    if (!mark.Label.isEmpty() && labelShown_[i]) {
      painter.setPen(QPen(mark.Colour, 1));
      painter.drawText(at + QPointF(kMarkArm + 2, -2), mark.Label);
    }
  }
  painter.restore();
}

ViewLock::ViewLock(ImageScrollArea& first, ImageScrollArea& second, QObject* parent)
    : QObject(parent), first_(first), second_(second) {
  for (auto [leader, follower] : {std::pair{&first_, &second_}, std::pair{&second_, &first_}}) {
    const auto follow = [this, leader, follower] {
      if (locked_ && !following_) Follow(*leader, *follower);
    };
    connect(leader, &ImageScrollArea::ZoomChanged, this, follow);
    connect(leader->horizontalScrollBar(), &QScrollBar::valueChanged, this, follow);
    connect(leader->verticalScrollBar(), &QScrollBar::valueChanged, this, follow);
  }
}

void ViewLock::SetLocked(bool locked) {
  locked_ = locked;
  if (locked_) Follow(first_, second_);
}

void ViewLock::Follow(ImageScrollArea& leader, ImageScrollArea& follower) {
  following_ = true;
  if (follower.Picture().Zoom() != leader.Picture().Zoom()) follower.SetZoom(leader.Picture().Zoom());
  follower.horizontalScrollBar()->setValue(leader.horizontalScrollBar()->value());
  follower.verticalScrollBar()->setValue(leader.verticalScrollBar()->value());
  following_ = false;
}

}  // namespace vesk::gui
