#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <limits>
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

// The three sums of the average, each a fold over the samples in order, so
// that samples kept in memory and samples computed again block by block go
// through the very same additions. Each row points at K values.

template <std::size_t K>
struct SampleSums {
  std::array<double, K> Sums{};
  void Add(const double* row) {
    for (std::size_t q = 0; q < K; ++q) Sums[q] += row[q];
  }
};

template <std::size_t K>
struct SquaredDeviationSums {
  std::array<double, K> Means{};
  std::array<double, K> Squares{};
  void Add(const double* row) {
    for (std::size_t q = 0; q < K; ++q) Squares[q] += (row[q] - Means[q]) * (row[q] - Means[q]);
  }
};

template <std::size_t K>
struct BandSums {
  std::array<double, K> Low{};
  std::array<double, K> High{};
  std::array<double, K> Kept{};
  std::array<std::size_t, K> KeptCount{};
  void Add(const double* row) {
    for (std::size_t q = 0; q < K; ++q)
      if (Low[q] <= row[q] && row[q] <= High[q]) {
        Kept[q] += row[q];
        ++KeptCount[q];
      }
  }
};

// The steps between the folds; `count` > 0 samples.

template <std::size_t K>
SquaredDeviationSums<K> SetMeans(std::array<ClippedMean, K>& result, const SampleSums<K>& sums, std::size_t count) {
  const double n = static_cast<double>(count);
  SquaredDeviationSums<K> squares;
  for (std::size_t q = 0; q < K; ++q) squares.Means[q] = result[q].Mean = sums.Sums[q] / n;
  return squares;
}

// Only for count >= 2; with one sample the deviation stays 0.
template <std::size_t K>
void SetStdDevs(std::array<ClippedMean, K>& result, const SquaredDeviationSums<K>& squares, std::size_t count) {
  const double n = static_cast<double>(count);
  for (std::size_t q = 0; q < K; ++q) result[q].StdDev = std::sqrt(squares.Squares[q] / (n - 1));
}

template <std::size_t K>
BandSums<K> ClippingBand(const std::array<ClippedMean, K>& result, double sigmaCount) {
  BandSums<K> band;
  for (std::size_t q = 0; q < K; ++q) {
    band.Low[q] = result[q].Mean - sigmaCount * result[q].StdDev;
    band.High[q] = result[q].Mean + sigmaCount * result[q].StdDev;
  }
  return band;
}

template <std::size_t K>
void SetClippedValues(std::array<ClippedMean, K>& result, const BandSums<K>& band) {
  for (std::size_t q = 0; q < K; ++q) {
    result[q].Kept = band.KeptCount[q];
    if (band.KeptCount[q] > 0) result[q].Value = band.Kept[q] / static_cast<double>(band.KeptCount[q]);
  }
}

// K coefficients averaged side by side, each on its own as above: three
// passes over the samples instead of three per coefficient. `forEachRow(visit)`
// calls visit(row) for every sample in order, row pointing at its K values;
// `count` > 0.
template <std::size_t K, typename ForEachRow>
std::array<ClippedMean, K> SigmaClippedMeans(ForEachRow&& forEachRow, std::size_t count, double sigmaCount) {
  std::array<ClippedMean, K> result{};
  SampleSums<K> sums;
  forEachRow([&sums](const double* row) { sums.Add(row); });
  SquaredDeviationSums<K> squares = SetMeans(result, sums, count);
  if (count >= 2) {
    forEachRow([&squares](const double* row) { squares.Add(row); });
    SetStdDevs(result, squares, count);
  }
  BandSums<K> band = ClippingBand(result, sigmaCount);
  forEachRow([&band](const double* row) { band.Add(row); });
  SetClippedValues(result, band);
  return result;
}

inline ClippedMean SigmaClippedMean(const std::vector<double>& samples, double sigmaCount) {
  return SigmaClippedMeans<1>(
      [&samples](auto&& visit) {
        for (const double& v : samples) visit(&v);
      },
      samples.size(), sigmaCount)[0];
}

// When the samples cannot be kept, every fold costs a fresh computation of
// all of them. The band sums can then ride along with the squared deviations
// on a band guessed from an estimate of the deviation, if afterwards it is
// certain that the guessed band and the true one keep the same samples: the
// folds are then the same additions. Besides the sums over the guessed band
// this keeps, per bound, the nearest samples on either side of it; the true
// bound classifies every sample alike when it falls between them.
template <std::size_t K>
struct GuessedBandSums {
  BandSums<K> Guess;
  std::array<double, K> BelowLow;       // largest sample under the guessed low bound
  std::array<double, K> AtOrAboveLow;   // smallest sample on or over it
  std::array<double, K> AtOrBelowHigh;  // largest sample on or under the guessed high bound
  std::array<double, K> AboveHigh;      // smallest sample over it

  explicit GuessedBandSums(const BandSums<K>& guess) : Guess(guess) {
    constexpr double infinity = std::numeric_limits<double>::infinity();
    BelowLow.fill(-infinity);
    AtOrAboveLow.fill(infinity);
    AtOrBelowHigh.fill(-infinity);
    AboveHigh.fill(infinity);
  }

  void Add(const double* row) {
    for (std::size_t q = 0; q < K; ++q) {
      const double v = row[q];
      // The same two comparisons as the band test, so that a bound that is
      // not a number sorts the samples the way the test does.
      const bool overLow = Guess.Low[q] <= v;
      const bool underHigh = v <= Guess.High[q];
      if (overLow)
        AtOrAboveLow[q] = std::min(AtOrAboveLow[q], v);
      else
        BelowLow[q] = std::max(BelowLow[q], v);
      if (underHigh)
        AtOrBelowHigh[q] = std::max(AtOrBelowHigh[q], v);
      else
        AboveHigh[q] = std::min(AboveHigh[q], v);
      if (overLow && underHigh) {
        Guess.Kept[q] += v;
        ++Guess.KeptCount[q];
      }
    }
  }

  // Whether `exact` keeps exactly the samples the guess kept; if so its sums
  // become the guess's, as if it had folded the samples itself.
  bool SettleInto(BandSums<K>& exact) const {
    for (std::size_t q = 0; q < K; ++q)
      if (!(BelowLow[q] < exact.Low[q] && exact.Low[q] <= AtOrAboveLow[q] && AtOrBelowHigh[q] <= exact.High[q] &&
            exact.High[q] < AboveHigh[q]))
        return false;
    exact.Kept = Guess.Kept;
    exact.KeptCount = Guess.KeptCount;
    return true;
  }
};

// A running estimate of the spread, block by block (Chan, Golub and
// LeVeque's pairwise update): close to the standard deviation the ordered
// sums give, which is all a guess needs.
template <std::size_t K>
class SpreadEstimate {
 public:
  // `forEachRow` as for SigmaClippedMeans, over a block of `count` samples.
  template <typename ForEachRow>
  void AddBlock(ForEachRow&& forEachRow, std::size_t count) {
    if (count == 0) return;
    const double m = static_cast<double>(count);
    std::array<double, K> sums{};
    forEachRow([&sums](const double* row) {
      for (std::size_t q = 0; q < K; ++q) sums[q] += row[q];
    });
    std::array<double, K> blockMeans{};
    for (std::size_t q = 0; q < K; ++q) blockMeans[q] = sums[q] / m;
    std::array<double, K> squares{};
    forEachRow([&squares, &blockMeans](const double* row) {
      for (std::size_t q = 0; q < K; ++q) squares[q] += (row[q] - blockMeans[q]) * (row[q] - blockMeans[q]);
    });
    const double before = static_cast<double>(count_);
    const double after = before + m;
    for (std::size_t q = 0; q < K; ++q) {
      const double delta = blockMeans[q] - means_[q];
      means_[q] += delta * (m / after);
      squares_[q] += squares[q] + delta * delta * (before * m / after);
    }
    count_ += count;
  }

  // The estimated standard deviation of coefficient q; 0 below two samples.
  double StdDev(std::size_t q) const {
    return count_ >= 2 ? std::sqrt(squares_[q] / static_cast<double>(count_ - 1)) : 0;
  }

 private:
  std::size_t count_ = 0;
  std::array<double, K> means_{};
  std::array<double, K> squares_{};
};

}  // namespace vesk
