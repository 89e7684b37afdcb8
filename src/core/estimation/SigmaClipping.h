#pragma once

#include <array>
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

// K coefficients averaged side by side, each on its own as above: three
// passes over the samples instead of three per coefficient. `forEachRow(visit)`
// calls visit(row) for every sample in order, row pointing at its K values;
// `count` > 0.
template <std::size_t K, typename ForEachRow>
std::array<ClippedMean, K> SigmaClippedMeans(ForEachRow&& forEachRow, std::size_t count, double sigmaCount) {
  std::array<ClippedMean, K> result{};
  const double n = static_cast<double>(count);
  std::array<double, K> sums{};
  forEachRow([&sums](const double* row) {
    for (std::size_t q = 0; q < K; ++q) sums[q] += row[q];
  });
  std::array<double, K> means{};
  for (std::size_t q = 0; q < K; ++q) means[q] = result[q].Mean = sums[q] / n;
  if (count >= 2) {
    std::array<double, K> squares{};
    forEachRow([&squares, &means](const double* row) {
      for (std::size_t q = 0; q < K; ++q) squares[q] += (row[q] - means[q]) * (row[q] - means[q]);
    });
    for (std::size_t q = 0; q < K; ++q) result[q].StdDev = std::sqrt(squares[q] / (n - 1));
  }
  std::array<double, K> low{}, high{}, kept{};
  std::array<std::size_t, K> keptCount{};
  for (std::size_t q = 0; q < K; ++q) {
    low[q] = result[q].Mean - sigmaCount * result[q].StdDev;
    high[q] = result[q].Mean + sigmaCount * result[q].StdDev;
  }
  forEachRow([&](const double* row) {
    for (std::size_t q = 0; q < K; ++q)
      if (low[q] <= row[q] && row[q] <= high[q]) {
        kept[q] += row[q];
        ++keptCount[q];
      }
  });
  for (std::size_t q = 0; q < K; ++q) {
    result[q].Kept = keptCount[q];
    if (keptCount[q] > 0) result[q].Value = kept[q] / static_cast<double>(keptCount[q]);
  }
  return result;
}

inline ClippedMean SigmaClippedMean(const std::vector<double>& samples, double sigmaCount) {
  return SigmaClippedMeans<1>(
      [&samples](auto&& visit) {
        for (const double& v : samples) visit(&v);
      },
      samples.size(), sigmaCount)[0];
}

}  // namespace vesk
