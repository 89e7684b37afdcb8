#pragma once

#include <cmath>
#include <cstddef>
#include <optional>
#include <vector>

namespace vesk {

// The robust average of one coefficient's samples: mean and standard deviation
// of all samples, then the mean of the samples inside the band
// mean ± sigmaCount · stddev (bounds included). Every sum runs in sample order,
// so the result depends only on the samples, never on how they were computed.
struct ClippedMean {
  double Mean = 0;
  double StdDev = 0;
  std::size_t Kept = 0;
  // Nothing when no sample lies inside the band (possible only for sigmaCount < 1).
  std::optional<double> Value;
};

// `forEach(visit)` calls visit(value) for every sample in order; `count` > 0.
template <typename ForEachSample>
ClippedMean SigmaClippedMean(ForEachSample&& forEach, std::size_t count, double sigmaCount) {
  ClippedMean result;
  const double n = static_cast<double>(count);
  double sum = 0;
  forEach([&sum](double v) { sum += v; });
  result.Mean = sum / n;
  if (count >= 2) {
    double squares = 0;
    const double mean = result.Mean;
    forEach([&squares, mean](double v) { squares += (v - mean) * (v - mean); });
    result.StdDev = std::sqrt(squares / (n - 1));
  }
  const double low = result.Mean - sigmaCount * result.StdDev;
  const double high = result.Mean + sigmaCount * result.StdDev;
  double keptSum = 0;
  std::size_t kept = 0;
  forEach([&](double v) {
    if (low <= v && v <= high) {
      keptSum += v;
      ++kept;
    }
  });
  result.Kept = kept;
  if (kept > 0) result.Value = keptSum / static_cast<double>(kept);
  return result;
}

inline ClippedMean SigmaClippedMean(const std::vector<double>& samples, double sigmaCount) {
  return SigmaClippedMean(
      [&samples](auto&& visit) {
        for (const double v : samples) visit(v);
      },
      samples.size(), sigmaCount);
}

}  // namespace vesk
