#include "estimation/SubsetAverages.h"

#include <algorithm>
#include <stdexcept>

namespace vesk {
namespace {

constexpr std::size_t K = kCoefficientCount;

// The share of the progress range held back, once the solutions no longer
// fit, for the pass that follows a failed guess of the clipping band.
constexpr double kHeldBackForClipping = 0.05;

// Maps the work of all passes onto the one progress range 0..total, as
// AverageSubsetSolutions describes. Work is counted in enumerated subsets
// over all passes: a pass reports the work of the passes before it plus its
// own count.
class PassProgress {
 public:
  PassProgress(long long total, const SubsetProgress& report) : total_(total), report_(report) {}

  // The reports of a pass that begins after `before` subsets of work.
  SubsetProgress ForPass(long long before) {
    return [this, before](long long enumerated) { return Report(before + enumerated); };
  }

  // From the work reported last on, `work` more is planned and gets the rest
  // of the range.
  void Replan(double work) {
    replanned_ = true;
    baseShown_ = shown_;
    baseDone_ = done_;
    planned_ = std::max(work, 1.0);
  }

  bool Finish() { return report_(total_); }

 private:
  bool Report(long long done) {
    done_ = done;
    long long position = done;
    if (replanned_) {
      const double share = std::clamp(static_cast<double>(done - baseDone_) / planned_, 0.0, 1.0);
      position = baseShown_ + static_cast<long long>(static_cast<double>(total_ - baseShown_) * share);
    }
    shown_ = std::clamp(position, shown_, total_);
    return report_(shown_);
  }

  const long long total_;
  const SubsetProgress& report_;
  long long shown_ = 0;
  long long done_ = 0;
  bool replanned_ = false;
  long long baseShown_ = 0;
  long long baseDone_ = 0;
  double planned_ = 1;
};

void FoldInOrder(const SampleStore& solutions, auto& sums) {
  solutions.ForEachRow([&sums](const double* row) { sums.Add(row); });
}

}  // namespace

std::size_t AveragingWorkingBytes(const SubsetSearcher& searcher, const SubsetSearchOptions& search) {
  const long long largestBlock = std::max(1LL, search.SubsetsPerBlock) + searcher.PointCount();
  return searcher.MemoryBytes() + static_cast<std::size_t>(BlocksInFlight(search.Threads)) *
                                      SampleStore::BytesFor(static_cast<std::size_t>(largestBlock));
}

SubsetAverages AverageSubsetSolutions(const SubsetSearcher& searcher, const SubsetAveragingSettings& settings,
                                      const SubsetProgress& progress) {
  SubsetAverages averages;
  const long long total = searcher.SubsetCount();
  PassProgress plan(total, progress);

  // First pass: keep the solutions while they fit; from the block that does
  // not, sum them as they come, the kept ones first. The kept ones stay for
  // the later passes, which solve only the subsets from that block on.
  const std::size_t working = AveragingWorkingBytes(searcher, settings.Search);
  const std::size_t keepLimit = settings.MemoryBudget > working ? settings.MemoryBudget - working : 0;
  SampleStore kept;
  bool keeping = true;
  SubsetSearchOptions later = settings.Search;  // where the later passes take up
  long long keptSubsets = 0;                    // enumerated before that
  SampleSums<K> sums;
  SpreadEstimate<K> spread;
  long long count = 0;
  long long lastEnumerated = 0;
  const auto sum = [&](const SampleStore& solutions) {
    FoldInOrder(solutions, sums);
    spread.AddBlock([&solutions](auto&& visit) { solutions.ForEachRow(visit); }, solutions.Count());
  };
  const SubsetProgress firstProgress = plan.ForPass(0);
  const bool firstDone = SolveSubsetsInOrder(
      searcher, settings.Search,
      [&](SampleStore& solutions, const SubsetBlock& block) {
        count += static_cast<long long>(solutions.Count());
        if (keeping) {
          if (kept.AllocatedBytes() + solutions.AllocatedBytes() <= keepLimit) {
            kept.Splice(std::move(solutions));
            keptSubsets += block.Subsets;
            return;
          }
          keeping = false;
          later.Start = block.First;
          sum(kept);
          // The rest of this pass, the squared deviations, and perhaps the
          // clipped sums once more.
          const double again = static_cast<double>(total - keptSubsets);
          const double clipping = settings.GuessClippingBand ? kHeldBackForClipping : 1.0;
          plan.Replan(static_cast<double>(total - lastEnumerated) + again * (1.0 + clipping));
        }
        sum(solutions);
      },
      [&](long long enumerated) {
        lastEnumerated = enumerated;
        return firstProgress(enumerated);
      });
  if (!firstDone) return averages;
  averages.Passes = 1;
  averages.SolvedCount = count;
  if (count == 0) {
    averages.Completed = true;
    return averages;
  }
  const std::size_t n = static_cast<std::size_t>(count);
  if (keeping) {
    averages.Coefficients =
        SigmaClippedMeans<K>([&kept](auto&& visit) { kept.ForEachRow(visit); }, n, settings.SigmaCount);
    averages.Completed = true;
    return averages;
  }

  // A further pass folds the kept solutions, then solves the other subsets
  // again and folds theirs in the same order: each sum is the one a pass
  // over all solutions kept would make.
  long long workDone = total;
  const auto foldAgain = [&](auto& sumsOfPass) {
    // The kept ones go first, while the workers already solve the rest.
    bool keptFolded = false;
    const auto foldKept = [&] {
      if (!keptFolded) FoldInOrder(kept, sumsOfPass);
      keptFolded = true;
    };
    long long again = static_cast<long long>(kept.Count());
    const bool done = SolveSubsetsInOrder(
        searcher, later,
        [&](SampleStore& solutions, const SubsetBlock&) {
          foldKept();
          again += static_cast<long long>(solutions.Count());
          FoldInOrder(solutions, sumsOfPass);
        },
        plan.ForPass(workDone));
    if (!done) return false;
    foldKept();
    if (again != count) throw std::logic_error("the subset solutions changed between passes");
    workDone += total - keptSubsets;
    ++averages.Passes;
    return true;
  };
  std::array<ClippedMean, K>& result = averages.Coefficients;
  SquaredDeviationSums<K> squares = SetMeans(result, sums, n);
  BandSums<K> band;
  bool clipped = false;
  if (n >= 2) {
    std::array<ClippedMean, K> estimated = result;
    for (std::size_t q = 0; q < K; ++q) estimated[q].StdDev = spread.StdDev(q);
    struct SquaresAndGuess {
      SquaredDeviationSums<K>& squares;
      GuessedBandSums<K> guess;
      bool guessing;
      void Add(const double* row) {
        squares.Add(row);
        if (guessing) guess.Add(row);
      }
    } pass{squares, GuessedBandSums<K>(ClippingBand(estimated, settings.SigmaCount)), settings.GuessClippingBand};
    if (!foldAgain(pass)) return averages;
    SetStdDevs(result, squares, n);
    band = ClippingBand(result, settings.SigmaCount);
    clipped = pass.guessing && pass.guess.SettleInto(band);
  } else {
    band = ClippingBand(result, settings.SigmaCount);
  }
  if (!clipped) {
    plan.Replan(static_cast<double>(total - keptSubsets));
    if (!foldAgain(band)) return averages;
  }
  SetClippedValues(result, band);
  averages.Completed = plan.Finish();
  return averages;
}

}  // namespace vesk
