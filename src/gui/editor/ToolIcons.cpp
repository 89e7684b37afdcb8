#include "gui/editor/ToolIcons.h"

#include <QPainter>
#include <QPixmap>

namespace vesk::gui {
namespace {

constexpr int kSize = 32;
const QColor kAdded(0x1E, 0x8C, 0x2E);
const QColor kRemoved(0xC8, 0x1E, 0x1E);

// A table of four rows and two columns; `highlight` (0 to 3, or -1) is the row
// the operation touches.
void DrawTable(QPainter& painter, int highlight, const QColor& colour) {
  const QRect table(2, 4, 22, 24);
  painter.setPen(QPen(QColor(0x50, 0x50, 0x50), 1));
  painter.setBrush(Qt::white);
  painter.drawRect(table);
  painter.fillRect(QRect(table.left() + 1, table.top() + 1, 6, table.height() - 1), QColor(0xD0, 0xD0, 0xD0));
  if (highlight >= 0) {
    QColor fill = colour;
    fill.setAlpha(90);
    painter.fillRect(QRect(table.left() + 8, table.top() + 1 + highlight * 6, table.width() - 8, 5), fill);
  }
  for (int row = 1; row < 4; ++row)
    painter.drawLine(table.left(), table.top() + row * 6, table.right(), table.top() + row * 6);
  painter.drawLine(table.left() + 7, table.top(), table.left() + 7, table.bottom());
  painter.drawLine(table.left() + 15, table.top(), table.left() + 15, table.bottom());
}

void DrawPlus(QPainter& painter, QPoint centre) {
  painter.setPen(QPen(kAdded, 3, Qt::SolidLine, Qt::FlatCap));
  painter.drawLine(centre.x() - 5, centre.y(), centre.x() + 5, centre.y());
  painter.drawLine(centre.x(), centre.y() - 5, centre.x(), centre.y() + 5);
}

void DrawMinus(QPainter& painter, QPoint centre) {
  painter.setPen(QPen(kRemoved, 3, Qt::SolidLine, Qt::FlatCap));
  painter.drawLine(centre.x() - 5, centre.y(), centre.x() + 5, centre.y());
}

void DrawCross(QPainter& painter, QPoint centre) {
  painter.setPen(QPen(kRemoved, 3, Qt::SolidLine, Qt::RoundCap));
  painter.drawLine(centre.x() - 5, centre.y() - 5, centre.x() + 5, centre.y() + 5);
  painter.drawLine(centre.x() - 5, centre.y() + 5, centre.x() + 5, centre.y() - 5);
}

}  // namespace

QIcon RowOperationIcon(RowIcon kind) {
  QPixmap picture(kSize, kSize);
  picture.fill(Qt::transparent);
  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing, false);
  switch (kind) {
    case RowIcon::Insert:
      DrawTable(painter, 1, kAdded);
      DrawPlus(painter, QPoint(26, 13));
      break;
    case RowIcon::Append:
      DrawTable(painter, 3, kAdded);
      DrawPlus(painter, QPoint(26, 25));
      break;
    case RowIcon::Delete:
      DrawTable(painter, 1, kRemoved);
      DrawMinus(painter, QPoint(26, 13));
      break;
    case RowIcon::Clear:
      DrawTable(painter, -1, kRemoved);
      painter.setRenderHint(QPainter::Antialiasing, true);
      DrawCross(painter, QPoint(25, 24));
      break;
  }
  painter.end();
  return QIcon(picture);
}

}  // namespace vesk::gui
