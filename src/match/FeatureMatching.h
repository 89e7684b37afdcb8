#pragma once

#include <vector>

#include "FeatureDetection.h"

namespace vesk::match {

struct FeatureMatch {
  int First = 0;   // index into the first photograph's features
  int Second = 0;  // index into the second's
};

// Pairs whose descriptors are each other's nearest neighbours and whose
// nearest neighbour is clearly nearer than the second nearest (distance
// ratio below `ratio`), in the order of the first photograph's features.
std::vector<FeatureMatch> MatchFeatures(const Features& first, const Features& second, double ratio = 0.8);

}  // namespace vesk::match
