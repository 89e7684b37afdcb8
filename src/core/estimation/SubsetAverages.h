#pragma once

#include <array>
#include <cstddef>

#include "estimation/SigmaClipping.h"
#include "estimation/SubsetSearch.h"
#include "estimation/TransformCoefficients.h"

namespace vesk {

// What the statistical method may hold beyond the points themselves unless
// told otherwise.
inline constexpr std::size_t kDefaultStatisticsMemoryBudget = std::size_t{256} << 20;

struct SubsetAveragingSettings {
  double SigmaCount = 3;
  // Bytes for the solutions and the search's own tables and buffers. While
  // the solutions fit they are kept and averaged from memory; beyond it the
  // averaging computes them again for each further sum it needs. Below the
  // search's own needs nothing is kept, and the search still runs.
  std::size_t MemoryBudget = kDefaultStatisticsMemoryBudget;
  // Whether the clipped sums may ride along with the squared deviations
  // (see GuessedBandSums); off only to test the pass that otherwise follows
  // when the guess fails.
  bool GuessClippingBand = true;
  SubsetSearchOptions Search;
};

struct SubsetAverages {
  bool Completed = false;  // false: progress asked to stop
  long long SolvedCount = 0;
  // Filled when completed and SolvedCount > 0.
  std::array<ClippedMean, kCoefficientCount> Coefficients{};
  int Passes = 0;  // passes over the solutions: 1 when they were all kept
};

// The memory the averaging needs whether it keeps solutions or not: the
// searcher's tables and the blocks of solutions in flight. What the budget
// leaves beyond it is for kept solutions.
std::size_t AveragingWorkingBytes(const SubsetSearcher& searcher, const SubsetSearchOptions& search);

// Solves every admissible subset of `searcher` and averages each coefficient
// of the solutions with sigma clipping, exactly as SigmaClippedMeans does
// over all solutions in enumeration order, whether they were kept or not.
// Solutions are kept as long as they fit the budget; when they stop fitting,
// those kept so far stay, and each later pass over the solutions folds them
// and then solves the subsets after them again.
// `progress` hears positions from 0 to the subset count. When the solutions
// are kept, those are the subsets enumerated, as the search reports them.
// Otherwise each further pass moves the position on: once it is known that
// more passes are needed, the rest of the way to the subset count is shared
// out in proportion to the subsets still to be enumerated, a small share
// being held back for a pass that is needed only when the guessed clipping
// band was not good enough (and given out at the end when it was).
SubsetAverages AverageSubsetSolutions(const SubsetSearcher& searcher, const SubsetAveragingSettings& settings,
                                      const SubsetProgress& progress);

}  // namespace vesk
