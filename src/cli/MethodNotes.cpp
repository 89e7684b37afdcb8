#include "MethodNotes.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace vesk::cli {
namespace {

std::string Count(double value) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.0f", value);
  return buffer;
}

}  // namespace

std::string AboutDuration(double seconds) {
  const long long whole = std::llround(std::max(1.0, seconds));
  const long long hours = whole / 3600;
  const long long minutes = whole % 3600 / 60;
  if (hours >= 48) return "about " + std::to_string((hours + 12) / 24) + " days";
  if (hours > 0) return "about " + std::to_string(hours) + " h " + std::to_string(minutes) + " min";
  if (minutes > 0) return "about " + std::to_string(minutes) + " min " + std::to_string(whole % 60) + " s";
  return "about " + std::to_string(whole) + " s";
}

std::string TooManySubsetsNote(const MethodChoice& choice, int points) {
  return "the statistical method would solve " + Count(choice.Subsets) + " four-point subsets of the " +
         std::to_string(points) + " points (" + AboutDuration(EstimatedStatisticalSeconds(choice.Subsets)) +
         ", more than the " + Count(kMaxAutomaticStatisticalSubsets) +
         " the automatic choice allows): least squares instead; --method statistics forces it";
}

std::string LongStatisticsNote(double subsets) {
  if (subsets <= kMaxAutomaticStatisticalSubsets) return {};
  return "the statistical method solves " + Count(subsets) +
         " four-point subsets: " + AboutDuration(EstimatedStatisticalSeconds(subsets)) + " (Ctrl+C stops it)";
}

}  // namespace vesk::cli
