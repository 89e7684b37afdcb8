#include "gui/workspace/PhotoView.h"

#include <QPainter>
#include <QScrollBar>

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
  Picture().update();
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
  if (marks_.empty()) return;
  // Marks keep their screen size whatever the zoom: drawn in widget pixels.
  painter.save();
  painter.resetTransform();
  painter.setRenderHint(QPainter::Antialiasing, false);
  for (const PhotoMark& mark : marks_) {
    const QPointF at(mark.X * scale, mark.Y * scale);
    painter.setPen(QPen(mark.Colour, 1));
    painter.drawLine(at - QPointF(kMarkArm, 0), at + QPointF(kMarkArm, 0));
    painter.drawLine(at - QPointF(0, kMarkArm), at + QPointF(0, kMarkArm));
    if (!mark.Label.isEmpty()) painter.drawText(at + QPointF(kMarkArm + 2, -2), mark.Label);
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
