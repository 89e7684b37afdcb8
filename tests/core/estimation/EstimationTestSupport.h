#pragma once

#include <initializer_list>
#include <utility>

#include "model/VT_Points.h"

namespace vesk::test {

// An owning point list from literal coordinates.
inline VT_Points Points(std::initializer_list<std::pair<double, double>> xy) {
  VT_Points points(kOwnsItems);
  for (const auto& [x, y] : xy) points.Add(new VT_Point(x, y));
  return points;
}

inline VT_Points Scaled(const VT_Points& points, double factor) {
  VT_Points scaled(kOwnsItems);
  for (const VT_Point* p : points.Items) scaled.Add(new VT_Point(p->X * factor, p->Y * factor));
  return scaled;
}

}  // namespace vesk::test
