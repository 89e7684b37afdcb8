#include "estimation/Stat2DThread.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "core/estimation/EstimationTestSupport.h"
#include "estimation/SigmaClipping.h"
#include "estimation/SubsetSearch.h"
#include "model/NumericHelpers.h"

namespace vesk {
namespace {

using test::Points;

// Remembers what the analysis shows.
class RecordingProgress : public ProgressSink {
 public:
  int position = 0;
  int ticks = 0;
  std::string elapsed;
  void SetPosition(int p) override {
    if (p == position + 1) ++ticks;
    position = p;
  }
  void SetElapsedText(const std::string& text) override { elapsed = text; }
};

// The method written out plainly, one subset after the other, with point
// copies and full row operations, to hold the fast search to the same bits.
namespace plain {

struct Settings {
  double sigma = 3, minAngle = 10, minDistance = 0.1;
  double w1 = 0, h1 = 0, w2 = 0, h2 = 0;
};

double Slope(const VT_Point& p, const VT_Point& q) {
  const double dx = p.X - q.X;
  const double dy = p.Y - q.Y;
  if (std::fabs(dx) == 0) return kPi;
  return std::atan(std::fabs(dy) / std::fabs(dx));
}

bool Acceptable(const VT_Points& points, int a, int b, int c, int d, int code, const Settings& s) {
  const VT_Point* P[4] = {points.Get(a), points.Get(b), points.Get(c), points.Get(d)};
  if (code == 1 || code == 2) {
    const double w = code == 1 ? s.w1 : s.w2;
    const double h = code == 1 ? s.h1 : s.h2;
    const double threshold = std::sqrt(w * w + h * h) * s.minDistance;
    for (int u = 0; u < 4; ++u)
      for (int v = u + 1; v < 4; ++v) {
        const double dx = P[u]->X - P[v]->X;
        const double dy = P[u]->Y - P[v]->Y;
        if (!(std::sqrt(dx * dx + dy * dy) >= threshold)) return false;
      }
  }
  const double A = s.minAngle * kPi * (1.0 / 180);
  if (!(std::fabs(Slope(*P[0], *P[1]) - Slope(*P[0], *P[2])) >= A)) return false;
  if (!(std::fabs(Slope(*P[0], *P[1]) - Slope(*P[0], *P[3])) >= A)) return false;
  if (!(std::fabs(Slope(*P[0], *P[2]) - Slope(*P[0], *P[3])) >= A)) return false;
  if (!(std::fabs(Slope(*P[1], *P[2]) - Slope(*P[1], *P[3])) >= A)) return false;
  return true;
}

bool Solve(const VT_Points& source4, const VT_Points& target4, std::vector<double> (&samples)[8]) {
  double M[8][9];
  for (int p = 0; p < 4; ++p) {
    const double x = source4.Get(p)->X, y = source4.Get(p)->Y;
    const double X = target4.Get(p)->X, Y = target4.Get(p)->Y;
    const double top[9] = {x, y, 1, -x * X, -y * X, 0, 0, 0, X};
    const double bottom[9] = {0, 0, 0, -x * Y, -y * Y, x, y, 1, Y};
    for (int t = 0; t < 9; ++t) {
      M[p][t] = top[t];
      M[p + 4][t] = bottom[t];
    }
  }
  const auto exchange = [&M](int a, int b) {
    for (int t = 0; t < 9; ++t) std::swap(M[a][t], M[b][t]);
  };
  int r = 0, passes = 0;
  do {
    if (M[r][r] != 0) {
      ++r;
    } else {
      int z = (r + 1) % 8;
      while (z != r && M[z][r] == 0) z = (z + 1) % 8;
      if (z == r) return false;
      exchange(r, z);
      r = 0;
    }
    ++passes;
  } while (r != 7 && passes != 1000);
  if (passes >= 1000) return false;
  for (r = 0; r <= 6; ++r) {
    int best = -1;
    double largest = 0;
    for (int row = r + 1; row <= 7; ++row)
      if (std::fabs(M[row][r]) > largest) {
        largest = std::fabs(M[row][r]);
        best = row;
      }
    if (best >= 0) exchange(r, best);
    if (M[r][r] == 0) return false;
    for (int s = r + 1; s <= 7; ++s) {
      const double f = M[s][r];
      for (int t = r; t <= 8; ++t) M[s][t] = M[s][t] - f * M[r][t] / M[r][r];
    }
  }
  double D = M[0][0];
  for (int k = 1; k < 8; ++k) D = D * M[k][k];
  if (std::fabs(D) < 1e-9) return false;
  double u[8];
  u[7] = M[7][8] / M[7][7];
  for (r = 6; r >= 0; --r) {
    double sum = 0;
    for (int t = r + 1; t <= 7; ++t) sum += M[r][t] * u[t];
    u[r] = (M[r][8] - sum) / M[r][r];
  }
  for (const double v : u)
    if (!std::isfinite(v)) return false;
  for (int q = 0; q < 8; ++q) samples[q].push_back(u[q]);
  return true;
}

struct Result {
  std::vector<double> coefficients;
  int solved = 0;
};

Result Analyse(const VT_Points& source, int sourceCode, const VT_Points& target, int targetCode, const Settings& s) {
  Result result;
  std::vector<double> samples[8];
  const int n = target.Count();
  for (int i = 0; i < n - 3; ++i)
    for (int j = i + 1; j < n - 2; ++j)
      for (int k = j + 1; k < n - 1; ++k)
        for (int m = k + 1; m < n; ++m) {
          if (!Acceptable(target, i, j, k, m, targetCode, s)) continue;
          if (!Acceptable(source, i, j, k, m, sourceCode, s)) continue;
          VT_Points source4(kOwnsItems), target4(kOwnsItems);
          for (const int index : {i, j, k, m}) {
            source4.Add(new VT_Point(source.Get(index)->X, source.Get(index)->Y));
            target4.Add(new VT_Point(target.Get(index)->X, target.Get(index)->Y));
          }
          if (Solve(source4, target4, samples)) ++result.solved;
        }
  if (result.solved == 0) return result;
  for (const std::vector<double>& v : samples) {
    const double N = result.solved;
    double sum = 0;
    for (const double x : v) sum += x;
    const double mean = sum / N;
    double squares = 0;
    for (const double x : v) squares += (x - mean) * (x - mean);
    const double stddev = result.solved >= 2 ? std::sqrt(squares / (N - 1)) : 0;
    double kept = 0;
    int count = 0;
    for (const double x : v)
      if (mean - s.sigma * stddev <= x && x <= mean + s.sigma * stddev) {
        kept += x;
        ++count;
      }
    if (count == 0) return result;
    result.coefficients.push_back(kept / count);
  }
  return result;
}

}  // namespace plain

// Noisy points under a mild perspective, with a few awkward ones: a point on
// the y axis (zero diagonal entries), two almost coincident points and three
// on one line.
void MakeNoisyPoints(int n, VT_Points& first, VT_Points& second) {
  std::uint64_t state = 12345;
  const auto next = [&state] {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<double>(state >> 11) * (1.0 / 9007199254740992.0);
  };
  for (int i = 0; i < n; ++i) {
    double x = 100 * next(), y = 80 * next();
    if (i == 0) x = 0;
    if (i == 3) x = first.Get(2)->X + 0.5, y = first.Get(2)->Y;
    if (i == 5 || i == 6) x = 10.0 * i, y = 5.0 * i;
    const double w = 0.001 * x - 0.002 * y + 1;
    first.Add(new VT_Point(x, y));
    second.Add(new VT_Point((0.9 * x + 0.1 * y + 4) / w + next() - 0.5, (-0.05 * x + 1.1 * y - 2) / w + next() - 0.5));
  }
}

std::uint64_t Bits(double value) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

TEST(StatisticsTest, FastSearchGivesTheBitsOfThePlainMethodWhateverTheThreads) {
  VT_Points fewFirst(kOwnsItems), fewSecond(kOwnsItems);
  MakeNoisyPoints(16, fewFirst, fewSecond);
  // Enough points for thousands of solutions per first index, so that the
  // samples of one worker span several storage blocks.
  VT_Points manyFirst(kOwnsItems), manySecond(kOwnsItems);
  MakeNoisyPoints(36, manyFirst, manySecond);
  struct Case {
    const VT_Points& first;
    const VT_Points& second;
    PointSetCode sourceCode, targetCode;
    plain::Settings settings;
  } cases[] = {
      {fewFirst, fewSecond, PointSetCode::FirstPhoto, PointSetCode::SecondPhoto, {3, 10, 0.1, 100, 80, 110, 90}},
      {fewFirst, fewSecond, PointSetCode::SecondPhoto, PointSetCode::FirstPhoto, {1.5, 5, 0.2, 100, 80, 0, 0}},
      {fewFirst, fewSecond, PointSetCode::Scene, PointSetCode::FirstPhoto, {2, 20, 0.05, 100, 80, 110, 90}},
      {manyFirst, manySecond, PointSetCode::FirstPhoto, PointSetCode::SecondPhoto, {3, 10, 0.01, 100, 80, 110, 90}},
  };
  for (const Case& c : cases) {
    const VT_Points& first = c.first;
    const VT_Points& second = c.second;
    const VT_Points& source = c.sourceCode == PointSetCode::SecondPhoto ? second : first;
    const VT_Points& target = c.sourceCode == PointSetCode::SecondPhoto ? first : second;
    const plain::Result expected =
        plain::Analyse(source, static_cast<int>(c.sourceCode), target, static_cast<int>(c.targetCode), c.settings);
    ASSERT_EQ(expected.coefficients.size(), 8u);
    for (const int threads : {1, 2, 3}) {
      TransformCoefficients result(kOwnsItems);
      Stat2DThread worker(source, c.sourceCode, target, c.targetCode, result);
      worker.SigmaCount = c.settings.sigma;
      worker.MinAngle = c.settings.minAngle;
      worker.MinDistance = c.settings.minDistance;
      worker.Width1 = c.settings.w1;
      worker.Height1 = c.settings.h1;
      worker.Width2 = c.settings.w2;
      worker.Height2 = c.settings.h2;
      worker.ThreadCount = threads;
      worker.Analyse();
      EXPECT_EQ(worker.SolvedCount, expected.solved) << threads << " threads";
      ASSERT_EQ(result.Count(), 8) << threads << " threads";
      for (int q = 0; q < 8; ++q)
        EXPECT_EQ(Bits(result.Get(q)->X), Bits(expected.coefficients[static_cast<std::size_t>(q)]))
            << "coefficient " << q << ", " << threads << " threads";
    }
  }
}

TEST(StatisticsTest, FourPointsInGeneralPositionGiveTheirExactTransformation) {
  const VT_Points square = Points({{0, 0}, {100, 10}, {90, 120}, {10, 100}});
  TransformCoefficients identity(kOwnsItems);
  Stat2DThread worker(square, PointSetCode::FirstPhoto, square, PointSetCode::SecondPhoto, identity);
  worker.MinDistance = 0;
  worker.Analyse();
  EXPECT_EQ(worker.Status, StatisticsStatus::Fitted);
  EXPECT_EQ(worker.SolvedCount, 1);
  EXPECT_EQ(worker.StdDev, 0);
  const double expected[8] = {1, 0, 0, 0, 0, 0, 1, 0};
  ASSERT_EQ(identity.Count(), 8);
  for (int q = 0; q < 8; ++q) EXPECT_NEAR(identity.Get(q)->X, expected[q], 1e-12) << "coefficient " << q;

  // The least-squares example's four points: the same stored set.
  const VT_Points source = Points({{10, 20}, {400, 30}, {380, 300}, {20, 310}});
  const VT_Points target = Points({{15, 25}, {410, 50}, {370, 280}, {30, 330}});
  TransformCoefficients exact(kOwnsItems);
  Stat2DThread example(source, PointSetCode::Scene, target, PointSetCode::Scene, exact);
  example.Analyse();
  const double stored[8] = {1.31697, 0.0183973, 1.67361, 0.000699095, 0.000354476, 0.0699258, 1.18905, 0.871674};
  ASSERT_EQ(exact.Count(), 8);
  for (int q = 0; q < 8; ++q) EXPECT_NEAR(exact.Get(q)->X, stored[q], 5e-6 * stored[q]) << "coefficient " << q;
}

TEST(StatisticsTest, SlopeAngleIgnoresTheSignAndMeasuresVerticalLinesAsPi) {
  EXPECT_EQ(Stat2DThread::SlopeAngle(VT_Point(0, 0), VT_Point(0, 30)), kPi);
  EXPECT_EQ(Stat2DThread::SlopeAngle(VT_Point(0, 0), VT_Point(10, 10)), kPi / 4);
  EXPECT_EQ(Stat2DThread::SlopeAngle(VT_Point(0, 0), VT_Point(10, -10)), kPi / 4);
  EXPECT_EQ(Stat2DThread::SlopeAngle(VT_Point(5, 1), VT_Point(-5, 1)), 0);
}

TEST(StatisticsTest, OnlySubsetsPassingTheDistanceAndAngleTestsAreSolved) {
  // Four points make one subset: the analysis fits exactly when it passes.
  const VT_Points spread = Points({{3, 5}, {103, 15}, {93, 125}, {13, 105}});
  struct Case {
    const char* name;
    VT_Points points;
    PointSetCode code;
    bool accepted;
  } cases[] = {
      {"vertical line a d measures pi", Points({{0, 0}, {10, 5}, {30, 0}, {0, 30}}), PointSetCode::Scene, true},
      {"perpendicular lines a b, a c measure alike", Points({{0, 0}, {10, 10}, {10, -10}, {30, 5}}),
       PointSetCode::Scene, false},
      {"points 56 apart in a 640 x 480 photograph", Points({{0, 0}, {50, 25}, {150, 0}, {0, 150}}),
       PointSetCode::FirstPhoto, false},
      {"the same points in the second photograph of unknown size", Points({{0, 0}, {50, 25}, {150, 0}, {0, 150}}),
       PointSetCode::SecondPhoto, true},
      {"the line c d, parallel to a b, is never compared", Points({{0, 0}, {100, 50}, {300, 0}, {100, 100}}),
       PointSetCode::Scene, true},
      {"far apart in the photograph", Points({{0, 0}, {100, 50}, {300, 0}, {0, 300}}), PointSetCode::FirstPhoto, true},
  };
  for (const Case& c : cases) {
    // Moved off the origin, which distances and angles do not see, so that
    // every accepted subset also solves without pivoting.
    VT_Points moved(kOwnsItems);
    for (const VT_Point* p : c.points.Items) moved.Add(new VT_Point(p->X + 7, p->Y + 11));
    for (const bool asSource : {true, false}) {  // both lists are tested
      TransformCoefficients result(kOwnsItems);
      Stat2DThread worker(asSource ? moved : spread, asSource ? c.code : PointSetCode::Scene, asSource ? spread : moved,
                          asSource ? PointSetCode::Scene : c.code, result);
      worker.Width1 = 640;
      worker.Height1 = 480;  // threshold 0.1 * 800 = 80 in the first photograph
      worker.Analyse();
      EXPECT_EQ(worker.Status == StatisticsStatus::Fitted, c.accepted)
          << c.name << (asSource ? ", source" : ", target");
      EXPECT_EQ(worker.SolvedCount, c.accepted ? 1 : 0) << c.name;
    }
  }
}

TEST(StatisticsTest, SigmaClipping) {
  const ClippedMean outlier = SigmaClippedMean({1, 2, 3, 4, 100}, 1);
  EXPECT_EQ(outlier.Mean, 22);
  EXPECT_NEAR(outlier.StdDev, 43.6, 0.05);
  EXPECT_EQ(outlier.Kept, 4u);
  EXPECT_EQ(outlier.Value, 2.5);

  EXPECT_FALSE(SigmaClippedMean({1, 2}, 0).Value);       // nothing inside a zero-width band
  EXPECT_EQ(SigmaClippedMean({7}, 0).Value, 7.0);        // one sample: no spread, kept
  EXPECT_EQ(SigmaClippedMean({2, 2, 2}, 3).Value, 2.0);  // bounds included
}

TEST(StatisticsTest, FailuresLeaveFewerThanEightCoefficientsAndTheProgressAtZero) {
  VT_Points first(kOwnsItems), second(kOwnsItems);
  MakeNoisyPoints(8, first, second);
  const VT_Points three = Points({{0, 0}, {100, 10}, {90, 120}});
  const VT_Points none(kOwnsItems);
  const VT_Points shorter = Points({{0, 0}, {100, 10}, {90, 120}, {10, 100}, {50, 50}});
  const VT_Points onLine = Points({{0, 0}, {10, 10}, {20, 20}, {30, 30}, {40, 40}});
  struct Case {
    const char* name;
    const VT_Points& source;
    const VT_Points& target;
    double sigma;
    bool cancel;
    StatisticsStatus status;
  } cases[] = {
      {"three points", three, three, 3, false, StatisticsStatus::NoSubsetSolved},
      {"three target points, no source point", none, three, 3, false, StatisticsStatus::NoSubsetSolved},
      {"every subset rejected", onLine, onLine, 3, false, StatisticsStatus::NoSubsetSolved},
      {"source shorter than target", shorter, first, 3, false, StatisticsStatus::SourceTooShort},
      {"zero-width clipping band", first, second, 0, false, StatisticsStatus::EmptyClippingBand},
      {"cancelled", first, second, 3, true, StatisticsStatus::Cancelled},
  };
  for (const Case& c : cases) {
    TransformCoefficients result(kOwnsItems);
    RecordingProgress progress;
    progress.position = 37;
    CancelToken cancel;
    if (c.cancel) cancel.Request();
    Stat2DThread worker(c.source, PointSetCode::Scene, c.target, PointSetCode::Scene, result);
    worker.SigmaCount = c.sigma;
    worker.Progress = &progress;
    worker.ProgressPosition = 37;
    worker.Cancel = &cancel;
    worker.Analyse();
    EXPECT_EQ(worker.Status, c.status) << c.name;
    EXPECT_EQ(result.Count(), 0) << c.name;
    EXPECT_EQ(progress.position, 0) << c.name;
    EXPECT_EQ(worker.ProgressPosition, 0) << c.name;
  }
}

TEST(StatisticsTest, ProgressTicksCountEveryEnumeratedSubset) {
  // Seven collinear-free points: C(7, 4) = 35 subsets, accepted or not.
  const VT_Points points = Points({{0, 0}, {100, 10}, {90, 120}, {10, 100}, {50, 47}, {70, 20}, {20, 60}});
  struct Case {
    double subsetsPerTick;
    int ticks;
    int threads;
  } cases[] = {{1, 35, 1}, {1, 35, 2}, {4, 8, 1}, {4, 8, 2}, {35, 1, 1}, {2.5, 0, 1}, {36, 0, 2}};
  for (const Case& c : cases) {
    TransformCoefficients result(kOwnsItems);
    RecordingProgress progress;
    Stat2DThread worker(points, PointSetCode::Scene, points, PointSetCode::Scene, result);
    worker.SubsetsPerTick = c.subsetsPerTick;
    worker.Progress = &progress;
    worker.ThreadCount = c.threads;
    worker.StartTime = CurrentTimeOfDay();
    worker.Analyse();
    EXPECT_EQ(progress.ticks, c.ticks) << c.subsetsPerTick << " per tick";
    EXPECT_EQ(progress.position, c.ticks) << c.subsetsPerTick << " per tick";
    if (c.ticks > 0) {
      EXPECT_FALSE(progress.elapsed.empty());
    }
  }
}

TEST(StatisticsTest, SolutionsThatAreNotKeptGiveTheSameBitsTicksAndFailures) {
  VT_Points fewFirst(kOwnsItems), fewSecond(kOwnsItems);
  MakeNoisyPoints(16, fewFirst, fewSecond);
  VT_Points manyFirst(kOwnsItems), manySecond(kOwnsItems);
  MakeNoisyPoints(36, manyFirst, manySecond);
  struct Case {
    const char* name;
    const VT_Points& source;
    const VT_Points& target;
    PointSetCode sourceCode;
    double sigma;
    double width;  // of both photographs; 0: sizes unknown
  } cases[] = {
      {"16 points, photograph sizes known", fewFirst, fewSecond, PointSetCode::FirstPhoto, 3, 100},
      {"36 points, sizes unknown", manyFirst, manySecond, PointSetCode::FirstPhoto, 3, 0},
      {"36 scene points, narrow band", manyFirst, manySecond, PointSetCode::Scene, 1.2, 100},
      {"36 points, empty band", manyFirst, manySecond, PointSetCode::FirstPhoto, 0, 100},
  };
  struct Outcome {
    StatisticsStatus status;
    int solved, failed, ticks;
    std::vector<std::uint64_t> bits;  // result coefficients, then Mean and StdDev
  };
  const auto analyse = [](const Case& c, std::size_t budget, int threads) {
    TransformCoefficients result(kOwnsItems);
    RecordingProgress progress;
    Stat2DThread worker(c.source, c.sourceCode, c.target, PointSetCode::SecondPhoto, result);
    worker.SigmaCount = c.sigma;
    worker.MinDistance = 0.01;
    worker.Width1 = worker.Width2 = c.width;
    worker.Height1 = worker.Height2 = 0.8 * c.width;
    worker.SubsetsPerTick = std::ceil(static_cast<double>(FourPointSubsetCount(c.target.Count())) * 0.01);
    worker.Progress = &progress;
    worker.ThreadCount = threads;
    worker.MemoryBudget = budget;
    worker.Analyse();
    Outcome outcome{worker.Status, worker.SolvedCount, worker.FailedCoefficient, progress.ticks, {}};
    for (const VT_Point* p : result.Items) outcome.bits.push_back(Bits(p->X));
    outcome.bits.push_back(Bits(worker.Mean));
    outcome.bits.push_back(Bits(worker.StdDev));
    return outcome;
  };
  for (const Case& c : cases) {
    const Outcome kept = analyse(c, kDefaultStatisticsMemoryBudget, 1);
    EXPECT_EQ(kept.status, c.sigma > 0 ? StatisticsStatus::Fitted : StatisticsStatus::EmptyClippingBand) << c.name;
    for (const int threads : {1, 2, 3}) {
      const Outcome recomputed = analyse(c, 0, threads);
      EXPECT_EQ(recomputed.status, kept.status) << c.name << ", " << threads << " threads";
      EXPECT_EQ(recomputed.solved, kept.solved) << c.name << ", " << threads << " threads";
      EXPECT_EQ(recomputed.failed, kept.failed) << c.name << ", " << threads << " threads";
      EXPECT_EQ(recomputed.ticks, kept.ticks) << c.name << ", " << threads << " threads";
      EXPECT_EQ(recomputed.bits, kept.bits) << c.name << ", " << threads << " threads";
    }
  }
}

TEST(StatisticsTest, CancellingWhileSolutionsAreComputedAgainLeavesNoResult) {
  VT_Points first(kOwnsItems), second(kOwnsItems);
  MakeNoisyPoints(36, first, second);
  // Asks to stop at 60 of 100 ticks, in the pass that sums the squared
  // deviations of solutions computed once more, and counts the ticks that
  // still come after the request.
  class StopAt60 : public RecordingProgress {
   public:
    CancelToken cancel;
    bool seen = false;
    int ticksAfterRequest = 0;
    void SetPosition(int p) override {
      if (seen && p != 0) ++ticksAfterRequest;
      RecordingProgress::SetPosition(p);
      if (position >= 60 && !seen) {
        seen = true;
        cancel.Request();
      }
    }
  };
  for (const int threads : {1, 2}) {
    TransformCoefficients result(kOwnsItems);
    StopAt60 progress;
    Stat2DThread worker(second, PointSetCode::Scene, first, PointSetCode::Scene, result);
    worker.SubsetsPerTick = std::ceil(static_cast<double>(FourPointSubsetCount(36)) * 0.01);
    worker.Progress = &progress;
    worker.Cancel = &progress.cancel;
    worker.ThreadCount = threads;
    worker.MemoryBudget = 0;
    worker.Analyse();
    EXPECT_EQ(worker.Status, StatisticsStatus::Cancelled) << threads << " threads";
    EXPECT_EQ(result.Count(), 0) << threads << " threads";
    EXPECT_TRUE(progress.seen) << threads << " threads";
    EXPECT_EQ(progress.ticksAfterRequest, 0) << threads << " threads";
    EXPECT_EQ(progress.position, 0) << threads << " threads";
  }
}

}  // namespace
}  // namespace vesk
