#include "estimation/SubsetAverages.h"
#include "model/NumericHelpers.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <new>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace vesk {
namespace {

std::uint64_t Bits(double value) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

// Two photographs that differ by little more than a shift, as when the
// method is chosen by itself, half a pixel of noise, and a few awkward
// points: on the y axis, almost on top of another, three on a line.
struct NoisyScene {
  SubsetPointTable source;
  SubsetPointTable target;

  NoisyScene(int n, double minDistance) {
    VT_Points first(kOwnsItems), second(kOwnsItems);
    std::uint64_t state = 977;
    const auto next = [&state] {
      state = state * 6364136223846793005ULL + 1442695040888963407ULL;
      return static_cast<double>(state >> 11) * (1.0 / 9007199254740992.0);
    };
    for (int i = 0; i < n; ++i) {
      double x = 640 * next(), y = 480 * next();
      if (i == 0) x = 0;
      if (i == 4) x = first.Get(1)->X + 0.25, y = first.Get(1)->Y;
      if (i == 7 || i == 8) x = 40.0 * i, y = 30.0 * i;
      first.Add(new VT_Point(x, y));
      second.Add(new VT_Point(x + 12.5 + 0.002 * y + next() - 0.5, y - 7.25 + next() - 0.5));
    }
    source = PrepareSubsetPointTable(first, n, minDistance);
    target = PrepareSubsetPointTable(second, n, minDistance);
  }
};

const double kMinAngle = 10 * kPi / 180;

struct Recorded {
  std::vector<double> rows;  // all coefficients of all solutions, in the order received
  std::vector<long long> positions;
};

Recorded SolveAll(const SubsetSearcher& searcher, const SubsetSearchOptions& options) {
  Recorded recorded;
  const bool done = SolveSubsetsInOrder(
      searcher, options,
      [&recorded](SampleStore& solutions, const SubsetBlock&) {
        solutions.ForEachRow(
            [&recorded](const double* row) { recorded.rows.insert(recorded.rows.end(), row, row + 8); });
      },
      [&recorded](long long enumerated) {
        recorded.positions.push_back(enumerated);
        return true;
      });
  EXPECT_TRUE(done);
  return recorded;
}

void ExpectSameBits(const SubsetAverages& actual, const SubsetAverages& expected, const char* what) {
  ASSERT_TRUE(actual.Completed) << what;
  EXPECT_EQ(actual.SolvedCount, expected.SolvedCount) << what;
  for (std::size_t q = 0; q < 8; ++q) {
    const ClippedMean& a = actual.Coefficients[q];
    const ClippedMean& e = expected.Coefficients[q];
    EXPECT_EQ(Bits(a.Mean), Bits(e.Mean)) << what << ", coefficient " << q;
    EXPECT_EQ(Bits(a.StdDev), Bits(e.StdDev)) << what << ", coefficient " << q;
    EXPECT_EQ(a.Kept, e.Kept) << what << ", coefficient " << q;
    ASSERT_EQ(a.Value.has_value(), e.Value.has_value()) << what << ", coefficient " << q;
    if (a.Value) {
      EXPECT_EQ(Bits(*a.Value), Bits(*e.Value)) << what << ", coefficient " << q;
    }
  }
}

TEST(SubsetAveragesTest, BlocksReachTheFoldInEnumerationOrderWhateverTheThreadsAndBlockSizes) {
  const NoisyScene scene(24, 30);
  const SubsetSearcher searcher(scene.source, scene.target, kMinAngle);
  const Recorded expected = SolveAll(searcher, SubsetSearchOptions{});
  ASSERT_GT(expected.rows.size(), 8000u);
  for (const long long perBlock : {1LL, 7LL, 500LL, 16384LL})
    for (const int threads : {1, 2, 3}) {
      SubsetSearchOptions options;
      options.Threads = threads;
      options.SubsetsPerBlock = perBlock;
      const Recorded actual = SolveAll(searcher, options);
      ASSERT_EQ(actual.rows.size(), expected.rows.size()) << perBlock << " per block, " << threads << " threads";
      EXPECT_EQ(std::memcmp(actual.rows.data(), expected.rows.data(), actual.rows.size() * sizeof(double)), 0)
          << perBlock << " per block, " << threads << " threads";
      ASSERT_FALSE(actual.positions.empty());
      EXPECT_EQ(actual.positions.back(), searcher.SubsetCount());
      for (std::size_t p = 1; p < actual.positions.size(); ++p) EXPECT_LE(actual.positions[p - 1], actual.positions[p]);
    }
}

TEST(SubsetAveragesTest, SolutionsComputedAgainGiveTheBitsOfKeptSolutions) {
  struct Case {
    int points;
    double minDistance;  // < 0: photograph sizes unknown, no distance test
    double sigma;
  } cases[] = {{12, -1, 3}, {20, 40, 3}, {28, -1, 1.5}, {28, 60, 2}};
  for (const Case& c : cases) {
    const NoisyScene scene(c.points, c.minDistance);
    const SubsetSearcher searcher(scene.source, scene.target, kMinAngle);
    SubsetAveragingSettings kept;
    kept.SigmaCount = c.sigma;
    const SubsetAverages expected = AverageSubsetSolutions(searcher, kept, [](long long) { return true; });
    ASSERT_EQ(expected.Passes, 1);
    ASSERT_GT(expected.SolvedCount, 100);
    for (const int threads : {1, 2, 3})
      for (const bool guess : {true, false}) {
        SubsetAveragingSettings settings = kept;
        settings.GuessClippingBand = guess;
        settings.Search.Threads = threads;
        settings.Search.SubsetsPerBlock = 64;
        // Budgets from nothing kept to everything kept, in about ten steps:
        // each block's solutions take one allocation block of their own.
        const std::size_t working = AveragingWorkingBytes(searcher, settings.Search);
        const std::size_t step = 64 * 1024 * static_cast<std::size_t>(searcher.SubsetCount() / 64 / 10 + 1);
        bool sawEveryPass = false;
        for (std::size_t extra = 0;; extra += step) {
          settings.MemoryBudget = extra == 0 ? 0 : working + extra;
          const SubsetAverages actual = AverageSubsetSolutions(searcher, settings, [](long long) { return true; });
          const std::string what = std::to_string(c.points) + " points, " + std::to_string(threads) + " threads, " +
                                   (guess ? "guessed" : "unguessed") + " band, budget " +
                                   std::to_string(settings.MemoryBudget);
          ExpectSameBits(actual, expected, what.c_str());
          if (actual.Passes == 1) break;
          EXPECT_EQ(actual.Passes, guess ? 2 : 3) << what;
          sawEveryPass = true;
        }
        EXPECT_TRUE(sawEveryPass);
      }
  }
}

TEST(SubsetAveragesTest, OneSolutionOnlyIsItsOwnAverageAlsoWhenNotKept) {
  const NoisyScene scene(4, -1);
  const SubsetSearcher searcher(scene.source, scene.target, 0);
  SubsetAveragingSettings settings;
  const SubsetAverages expected = AverageSubsetSolutions(searcher, settings, [](long long) { return true; });
  ASSERT_EQ(expected.SolvedCount, 1);
  settings.MemoryBudget = 0;
  const SubsetAverages actual = AverageSubsetSolutions(searcher, settings, [](long long) { return true; });
  ExpectSameBits(actual, expected, "one subset");
  EXPECT_EQ(actual.Passes, 2);  // no deviation to sum, the clipped sums straight away
}

TEST(SubsetAveragesTest, AGuessedBandCountsOnlyWhenItKeepsTheSamplesTheTrueBandKeeps) {
  const std::vector<double> samples = {1, 2, 3, 4, 100, 2.5, 3.5, -30};
  std::array<ClippedMean, 1> truth{};
  SampleSums<1> sums;
  for (const double& v : samples) sums.Add(&v);
  SquaredDeviationSums<1> squares = SetMeans(truth, sums, samples.size());
  for (const double& v : samples) squares.Add(&v);
  SetStdDevs(truth, squares, samples.size());
  const BandSums<1> exact = [&] {
    BandSums<1> band = ClippingBand(truth, 1);
    for (const double& v : samples) band.Add(&v);
    return band;
  }();
  // Mean 10.75, standard deviation about 37.8: the true band with sigma 1
  // runs from about -27 to about 49 and keeps all but -30 and 100.
  constexpr double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    const char* name;
    double low, high;
    bool settles;
  } cases[] = {
      {"the true band", exact.Low[0], exact.High[0], true},
      {"a different band keeping the same samples", -29, 99, true},
      {"low bound on the lowest kept sample", 1, 99, true},
      {"high bound on the highest kept sample", -29, 4, true},
      {"too narrow: 1 dropped", 1.5, 99, false},
      {"too narrow: 4 dropped", -29, 3.9, false},
      {"too wide: -30 kept", -30, 99, false},
      {"too wide: 100 kept", -29, 100, false},
      {"no band at all", nan, nan, false},
  };
  for (const Case& c : cases) {
    BandSums<1> guessBand;
    guessBand.Low[0] = c.low;
    guessBand.High[0] = c.high;
    GuessedBandSums<1> guess(guessBand);
    for (const double& v : samples) guess.Add(&v);
    BandSums<1> settled = ClippingBand(truth, 1);
    EXPECT_EQ(guess.SettleInto(settled), c.settles) << c.name;
    if (c.settles) {
      EXPECT_EQ(Bits(settled.Kept[0]), Bits(exact.Kept[0])) << c.name;
      EXPECT_EQ(settled.KeptCount[0], exact.KeptCount[0]) << c.name;
    }
  }
}

TEST(SubsetAveragesTest, ARecomputingPassAnswersAStopAndTheBarKeepsMoving) {
  const NoisyScene scene(30, 20);
  const SubsetSearcher searcher(scene.source, scene.target, kMinAngle);
  const long long total = searcher.SubsetCount();
  struct Case {
    bool guess;
    double stopAt;  // share of the bar; 2.0: never
  } cases[] = {{true, 2.0}, {false, 2.0}, {true, 0.6}, {false, 0.8}};
  for (const Case& c : cases)
    for (const int threads : {1, 2}) {
      SubsetAveragingSettings settings;
      settings.MemoryBudget = 0;
      settings.GuessClippingBand = c.guess;
      settings.Search.Threads = threads;
      settings.Search.SubsetsPerBlock = 256;
      std::vector<long long> positions;
      int callsAfterStop = 0;
      bool stopped = false;
      const SubsetAverages averages = AverageSubsetSolutions(searcher, settings, [&](long long position) {
        if (stopped) ++callsAfterStop;
        positions.push_back(position);
        stopped = stopped || position >= c.stopAt * static_cast<double>(total);
        return !stopped;
      });
      EXPECT_EQ(averages.Completed, !stopped) << c.stopAt;
      EXPECT_EQ(callsAfterStop, 0) << c.stopAt;
      ASSERT_FALSE(positions.empty());
      for (std::size_t p = 1; p < positions.size(); ++p) ASSERT_LE(positions[p - 1], positions[p]);
      EXPECT_LE(positions.back(), total);
      if (stopped) continue;
      EXPECT_EQ(averages.Passes, c.guess ? 2 : 3);
      EXPECT_EQ(positions.back(), total);
      // Every pass moves the bar through its share, without a jump over a
      // tenth of it; without workers the bar hears of every block.
      if (threads == 1) {
        for (std::size_t p = 1; p < positions.size(); ++p)
          EXPECT_LT(positions[p] - positions[p - 1], total / 10) << c.guess << ", position " << positions[p];
      }
    }
}

TEST(SubsetAveragesTest, ThreadsThatCannotBeStartedLeaveTheWorkToTheOthers) {
  const NoisyScene scene(22, 30);
  const SubsetSearcher searcher(scene.source, scene.target, kMinAngle);
  SubsetAveragingSettings settings;
  const SubsetAverages expected = AverageSubsetSolutions(searcher, settings, [](long long) { return true; });
  for (const std::size_t budget : {std::size_t{0}, kDefaultStatisticsMemoryBudget})
    for (const int allowed : {0, 1, 2}) {
      // Each pass asks for three threads; the system gives `allowed`.
      int calls = 0;
      int refused = 0;
      settings.MemoryBudget = budget;
      settings.Search.Threads = 3;
      settings.Search.SubsetsPerBlock = 128;
      settings.Search.StartThread = [&](std::function<void()> body) {
        if (++calls % (allowed + 1) == 0) {
          ++refused;
          throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
        }
        return std::thread(std::move(body));
      };
      const SubsetAverages actual = AverageSubsetSolutions(searcher, settings, [](long long) { return true; });
      ExpectSameBits(actual, expected, ("threads allowed: " + std::to_string(allowed)).c_str());
      EXPECT_GE(refused, 1);
    }
}

TEST(SubsetAveragesTest, AFailingFoldEndsTheSearchWithItsErrorOnceTheWorkersAreDone) {
  const NoisyScene scene(22, 30);
  const SubsetSearcher searcher(scene.source, scene.target, kMinAngle);
  for (const int threads : {1, 3}) {
    SubsetSearchOptions options;
    options.Threads = threads;
    options.SubsetsPerBlock = 64;
    int blocks = 0;
    EXPECT_THROW(SolveSubsetsInOrder(
                     searcher, options,
                     [&blocks](SampleStore&, const SubsetBlock&) {
                       if (++blocks == 3) throw std::bad_alloc();
                     },
                     [](long long) { return true; }),
                 std::bad_alloc)
        << threads << " threads";
    EXPECT_EQ(blocks, 3);
  }
}

}  // namespace
}  // namespace vesk
