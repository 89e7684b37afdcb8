#pragma once

#include "model/VT_Drawable.h"

namespace vesk {

// A planar point: image coordinates in pixels or scene-plane coordinates in
// the scene's units. Also carries one transformation coefficient in X.
class VT_Point final : public VT_Drawable {
 public:
  double X;
  double Y;

  VT_Point(double x, double y) : X(x), Y(y) {}

  // Paints one filled cell; the second coordinate runs horizontally.
  void Draw(Canvas& canvas, int originX, int originY, double scaleX, double scaleY) override;
  double GetMaxY() const override { return Y; }
  double GetMinY() const override { return Y; }
  double GetMaxX() const override { return X; }
  double GetMinX() const override { return X; }
};

}  // namespace vesk
