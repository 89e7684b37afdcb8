#pragma once

// model/: the point data model (the drawable point, the owning and
// non-owning lists), the build modes and their traits, and two numeric
// helpers. Includes common/ and the standard library only.

#include "model/ListOfT.h"
#include "model/VT_Point.h"

namespace vesk {

using VT_Points = ListOfT<VT_Point>;

inline constexpr int kOwnsItems = 1;
inline constexpr int kRefersToItems = 0;

}  // namespace vesk
