#include "gui/refpoints/PointLoupe.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace vesk::gui {

PointLoupe::PointLoupe(QWidget* viewport) : QWidget(viewport) {
  setObjectName(QStringLiteral("PointLoupe"));
  setFixedSize(kSide + 2, kSide + 2);
  setAttribute(Qt::WA_TransparentForMouseEvents);
  hide();
}

double PointLoupe::Magnification(double zoom) { return std::max(8.0, 4.0 * zoom); }

void PointLoupe::ShowAt(const QImage& photo, QPointF at, double zoom, QPoint pointer, std::vector<QPointF> marks) {
  photo_ = photo;
  at_ = at;
  magnification_ = Magnification(zoom);
  marks_ = std::move(marks);
  // Top left, unless the pointer is there: then top right.
  const QWidget* viewport = parentWidget();
  const int margin = 6;
  QPoint corner(margin, margin);
  if (pointer.x() < width() + 3 * margin && pointer.y() < height() + 3 * margin)
    corner.setX(viewport->width() - width() - margin);
  move(corner);
  raise();
  show();
  update();
}

void PointLoupe::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), QColor(40, 40, 40));
  const double m = magnification_;
  const double half = kSide / 2.0;
  // The loupe's point (u, v) shows the photograph point at_ + ((u, v) - centre) / m.
  const QPointF centre(1 + half, 1 + half);
  const int x0 = std::max(0, static_cast<int>(std::floor(at_.x() - half / m)) - 1);
  const int y0 = std::max(0, static_cast<int>(std::floor(at_.y() - half / m)) - 1);
  const int x1 = std::min(photo_.width(), static_cast<int>(std::ceil(at_.x() + half / m)) + 1);
  const int y1 = std::min(photo_.height(), static_cast<int>(std::ceil(at_.y() + half / m)) + 1);
  painter.setClipRect(QRect(1, 1, kSide, kSide));
  if (!photo_.isNull() && x1 > x0 && y1 > y0) {
    const QRectF target(centre.x() + (x0 - at_.x()) * m, centre.y() + (y0 - at_.y()) * m, (x1 - x0) * m, (y1 - y0) * m);
    painter.drawImage(target, photo_, QRect(x0, y0, x1 - x0, y1 - y0));
  }
  painter.setRenderHint(QPainter::Antialiasing, false);
  for (const QPointF& mark : marks_) {
    const QPointF p = centre + (mark - at_) * m;
    painter.setPen(QPen(QColor(255, 40, 40), 1));
    painter.drawLine(p - QPointF(8, 0), p + QPointF(8, 0));
    painter.drawLine(p - QPointF(0, 8), p + QPointF(0, 8));
  }
  // The cross-hair: a light line over a dark one, visible on any picture,
  // with a gap at the centre so the pixel under it stays in sight.
  for (const auto& [colour, width] : {std::pair{QColor(0, 0, 0, 170), 3}, std::pair{QColor(0, 255, 255), 1}}) {
    painter.setPen(QPen(colour, width));
    painter.drawLine(QPointF(1, centre.y()), centre - QPointF(4, 0));
    painter.drawLine(centre + QPointF(4, 0), QPointF(kSide + 1, centre.y()));
    painter.drawLine(QPointF(centre.x(), 1), centre - QPointF(0, 4));
    painter.drawLine(centre + QPointF(0, 4), QPointF(centre.x(), kSide + 1));
  }
  painter.setClipping(false);
  painter.setPen(QPen(QColor(230, 230, 230), 1));
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace vesk::gui
