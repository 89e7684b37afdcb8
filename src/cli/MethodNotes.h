#pragma once

#include <string>

#include "estimation/MethodChoice.h"

namespace vesk::cli {

// "about 7 h 12 min", "about 40 s": an estimate of `seconds` for people.
std::string AboutDuration(double seconds);

// The line vesk-cli prints when the automatic choice took least squares
// because the statistical method had too many subsets to solve.
std::string TooManySubsetsNote(const MethodChoice& choice, int points);

// The line printed before an explicitly requested statistical method that
// will take longer than the automatic choice allows; empty otherwise.
std::string LongStatisticsNote(double subsets);

}  // namespace vesk::cli
