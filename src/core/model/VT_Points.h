#pragma once

#include "model/ListOfT.h"
#include "model/VT_Point.h"

namespace vesk {

using VT_Points = ListOfT<VT_Point>;

inline constexpr int kOwnsItems = 1;
inline constexpr int kRefersToItems = 0;

}  // namespace vesk
