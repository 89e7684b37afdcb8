#pragma once

#include <cstdint>

namespace vesk {

// Colour in the RGB encoding of the drawing surface: 0x00BBGGRR.
using ColorValue = std::uint32_t;

// The few painting services a drawable item uses; the GUI adapts a QPainter.
class Canvas {
 public:
  virtual ~Canvas() = default;
  virtual void SetSolidPen(ColorValue color) = 0;
  virtual void SetSolidBrush(ColorValue color) = 0;
  virtual void Rectangle(int left, int top, int right, int bottom) = 0;
};

}  // namespace vesk
