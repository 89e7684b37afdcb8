#pragma once

#include "model/Canvas.h"

namespace vesk {

// Abstract base of every item that can paint itself. Items are always deleted
// as their concrete type, so the destructor is protected and not virtual.
class VT_Drawable {
 public:
  ColorValue Color = 0;

  virtual void Draw(Canvas& canvas, int originX, int originY, double scaleX, double scaleY) = 0;
  virtual double GetMaxY() const = 0;
  virtual double GetMinY() const = 0;
  virtual double GetMaxX() const = 0;
  virtual double GetMinX() const = 0;

 protected:
  VT_Drawable() = default;
  VT_Drawable(const VT_Drawable&) = default;
  VT_Drawable& operator=(const VT_Drawable&) = default;
  ~VT_Drawable() = default;
};

}  // namespace vesk
