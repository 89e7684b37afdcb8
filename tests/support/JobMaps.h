#pragma once

#include "render/RenderRequest.h"

namespace vesk::test {

// Coefficients written as X = (a0 x + a1 y + a2) / d, Y = (b0 x + b1 y + b2) / d, d = c0 x + c1 y + 1.
inline JobTransform Map(double a0, double a1, double a2, double b0, double b1, double b2, double c0 = 0,
                        double c1 = 0) {
  return JobTransform{{a0, a1, a2, b0, b1, b2, c0, c1}};
}
inline const JobTransform kIdentity = Map(1, 0, 0, 0, 1, 0);

}  // namespace vesk::test
