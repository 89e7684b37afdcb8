#include "model/VT_Point.h"

namespace vesk {

void VT_Point::Draw(Canvas& canvas, int originX, int originY, double scaleX, double scaleY) {
  canvas.SetSolidPen(Color);
  canvas.SetSolidBrush(Color);
  // Conversions truncate toward zero, as the cell grid expects.
  const int left = static_cast<int>((Y - originY) * scaleY);
  const int top = static_cast<int>((X - originX) * scaleX);
  const int right = static_cast<int>((Y - originY + 1) * scaleY);
  const int bottom = static_cast<int>((X - originX + 1) * scaleX);
  canvas.Rectangle(left, top, right, bottom);
}

}  // namespace vesk
