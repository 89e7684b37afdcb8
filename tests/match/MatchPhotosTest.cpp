#include "match/MatchPhotos.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "imageio/BmpFile.h"
#include "support/NoisePhoto.h"
#include "support/SyntheticPair.h"
#include "support/TempDir.h"

namespace vesk {
namespace {

using match::FindCorrespondingPoints;
using match::MatchFailure;
using match::MatchOutcome;
using match::MatchSettings;
using match::MatchStatus;
using test::Matrix3;

RgbImage ExamplePhoto(const std::string& name) {
  BmpDecodeResult loaded = LoadBmpFile((test::ExamplesDir() / name).string());
  EXPECT_EQ(loaded.Failure.Fault, BmpFault::None) << name;
  return std::move(loaded.Image);
}

// The aloe photograph at half its size (320 x 278): large enough to hold
// hundreds of features, small enough to keep the tests quick.
const RgbImage& Aloe() {
  static const RgbImage photo = [] {
    const RgbImage full = ExamplePhoto("aloe/aloeL.bmp");
    const Matrix3 half = test::ViewChange(full.Width(), full.Height(), 0, 0.5, 0, 0, 320, 278);
    return test::WarpPhoto(full, half, 320, 278);
  }();
  return photo;
}

struct Warp {
  const char* Name;
  double Degrees;
  double Scale;
  double TiltX;
  double TiltY;
  double Gain;
  double Offset;
  int Width;  // of the second photograph
  int Height;
  double MeanBound;  // of the fit from the found points against the truth
  double MaxBound;
};

// The least-squares fit from the found points against the truth, both ways:
// second to first in the first photograph's pixels and first to second in
// the second's; the worse of the two.
test::FitError FitError(const MatchOutcome& found, const Matrix3& truth, const RgbImage& first,
                        const RgbImage& second) {
  const test::FitError forward = test::CompareFitWithTruth(found.Points1, found.Points2, truth, first.Width(),
                                                           first.Height(), second.Width(), second.Height());
  const test::FitError backward =
      test::CompareFitWithTruth(found.Points2, found.Points1, test::Inverse(truth), second.Width(), second.Height(),
                                first.Width(), first.Height());
  return {forward.Fitted && backward.Fitted, std::max(forward.Mean, backward.Mean),
          std::max(forward.Max, backward.Max)};
}

// A shipped photograph and the same scene seen otherwise, with the known
// transformation between them. The bounds are tighter than a user needs
// (0.5 px mean, 1.5 px max) so that a half-pixel slip of the point
// convention, which shows most under scale and rotation, fails them.
TEST(MatchPhotosTest, FoundPointsGiveTheKnownTransformation) {
  const RgbImage& first = Aloe();
  const std::vector<Warp> warps = {
      {"rotation 25", 25, 1, 0, 0, 1, 0, 320, 278, 0.2, 0.5},
      {"quarter turn", 90, 1, 0, 0, 1, 0, 278, 320, 0.2, 0.5},
      {"half size", 0, 0.5, 0, 0, 1, 0, 160, 139, 0.25, 0.75},
      {"double size", 0, 2, 0, 0, 1, 0, 640, 556, 0.2, 0.5},
      {"perspective", 5, 0.9, 0.0024, -0.0012, 1, 0, 320, 278, 0.2, 0.6},
      {"darker and turned", -15, 1.2, 0.0004, 0, 0.55, -10, 320, 278, 0.2, 0.6},
  };
  for (const Warp& w : warps) {
    SCOPED_TRACE(w.Name);
    const Matrix3 truth =
        test::ViewChange(first.Width(), first.Height(), w.Degrees, w.Scale, w.TiltX, w.TiltY, w.Width, w.Height);
    const RgbImage second = test::WarpPhoto(first, truth, w.Width, w.Height, w.Gain, w.Offset);
    const MatchOutcome found = FindCorrespondingPoints(first, second);
    ASSERT_EQ(found.Status, MatchStatus::Found) << found.Reason;
    EXPECT_EQ(found.Points1.size(), 30u);
    ASSERT_EQ(found.Points1.size(), found.Points2.size());
    EXPECT_GE(found.Inliers, static_cast<int>(found.Points1.size()));
    EXPECT_LT(found.Rms, MatchSettings().Threshold);
    const test::FitError error = FitError(found, truth, first, second);
    ASSERT_TRUE(error.Fitted);
    EXPECT_LT(error.Mean, w.MeanBound);
    EXPECT_LT(error.Max, w.MaxBound);
    // No spot twice: a repeated point would make degenerate subsets.
    for (std::size_t i = 0; i < found.Points1.size(); ++i)
      for (std::size_t j = 0; j < i; ++j)
        EXPECT_GT(std::hypot(found.Points1[i].X - found.Points1[j].X, found.Points1[i].Y - found.Points1[j].Y), 0.5)
            << "pairs " << j << " and " << i;
    // Every single pair lies where the truth puts it, not just the fit.
    for (std::size_t i = 0; i < found.Points1.size(); ++i) {
      const test::Point2 expected = test::Map(truth, found.Points1[i].X, found.Points1[i].Y);
      EXPECT_NEAR(found.Points2[i].X, expected.X, 1.0) << "pair " << i;
      EXPECT_NEAR(found.Points2[i].Y, expected.Y, 1.0) << "pair " << i;
    }
  }
}

TEST(MatchPhotosTest, PairsAreSpreadOverTheOverlapAndLimitedToTheCount) {
  const RgbImage& first = Aloe();
  const Matrix3 truth = test::ViewChange(first.Width(), first.Height(), 10, 1, 0, 0, first.Width(), first.Height());
  const RgbImage second = test::WarpPhoto(first, truth, first.Width(), first.Height());
  for (int count : {4, 12, 30, 100}) {
    SCOPED_TRACE(count);
    MatchSettings settings;
    settings.MaxPairs = count;
    const MatchOutcome found = FindCorrespondingPoints(first, second, settings);
    ASSERT_EQ(found.Status, MatchStatus::Found) << found.Reason;
    EXPECT_EQ(found.Points1.size(), static_cast<std::size_t>(count));
    if (count < 12) continue;
    double minX = first.Width(), maxX = 0, minY = first.Height(), maxY = 0;
    for (const VT_Point& p : found.Points1) {
      minX = std::min(minX, p.X);
      maxX = std::max(maxX, p.X);
      minY = std::min(minY, p.Y);
      maxY = std::max(maxY, p.Y);
    }
    // A cluster in one textured corner would leave most of the frame empty.
    EXPECT_GT(maxX - minX, 0.6 * first.Width());
    EXPECT_GT(maxY - minY, 0.6 * first.Height());
  }
}

TEST(MatchPhotosTest, TheSameInputGivesTheSamePairs) {
  const RgbImage& first = Aloe();
  const Matrix3 truth = test::ViewChange(first.Width(), first.Height(), 30, 0.8, 0.001, 0, 300, 250);
  const RgbImage second = test::WarpPhoto(first, truth, 300, 250);
  const MatchOutcome a = FindCorrespondingPoints(first, second);
  const MatchOutcome b = FindCorrespondingPoints(first, second);
  ASSERT_EQ(a.Status, MatchStatus::Found);
  ASSERT_EQ(a.Points1.size(), b.Points1.size());
  for (std::size_t i = 0; i < a.Points1.size(); ++i) {
    EXPECT_EQ(a.Points1[i].X, b.Points1[i].X);
    EXPECT_EQ(a.Points1[i].Y, b.Points1[i].Y);
    EXPECT_EQ(a.Points2[i].X, b.Points2[i].X);
    EXPECT_EQ(a.Points2[i].Y, b.Points2[i].Y);
  }
  EXPECT_EQ(a.Inliers, b.Inliers);
}

// Photographs with nothing in common, or nothing to match at all, are told
// apart from a search that found pairs: no points, no transformation.
TEST(MatchPhotosTest, BadPairsFailWithTheirReason) {
  const RgbImage chessboard = ExamplePhoto("chessboard/left01.bmp");
  const RgbImage grey(200, 150, Rgb{128, 128, 128});
  const RgbImage tiny(1, 1, Rgb{10, 20, 30});
  struct Case {
    const char* Name;
    const RgbImage& First;
    const RgbImage& Second;
    std::vector<MatchFailure> Expected;
  };
  const RgbImage noise1 = test::NoisePhoto(160, 120, 1);
  const RgbImage noise2 = test::NoisePhoto(160, 120, 2);
  const RgbImage empty;
  const RgbImage darkGrey(200, 150, Rgb{90, 90, 90});
  const RgbImage strip(2000, 8);
  const RgbImage copy(Aloe());
  // Long and thin: the reduced copy is only a few rows high.
  const RgbImage noiseStrip = test::NoisePhoto(3000, 16, 3);
  const std::vector<MatchFailure> unrelated = {MatchFailure::NoCommonFeatures, MatchFailure::NoTransformation,
                                               MatchFailure::TooFewReliable};
  const std::vector<Case> cases = {
      {"unrelated photographs", Aloe(), chessboard, unrelated},
      {"unrelated noise", noise1, noise2, unrelated},
      {"featureless first", grey, Aloe(), {MatchFailure::NoFeatures}},
      {"featureless both", grey, darkGrey, {MatchFailure::NoFeatures}},
      {"one pixel", tiny, tiny, {MatchFailure::TooSmall}},
      {"one pixel and a photograph", Aloe(), tiny, {MatchFailure::TooSmall}},
      {"empty", empty, Aloe(), {MatchFailure::TooSmall}},
      {"a thin strip", strip, Aloe(), {MatchFailure::TooSmall}},
      {"identical", Aloe(), copy, {MatchFailure::Identical}},
      {"a detailed thin strip",
       noiseStrip,
       Aloe(),
       {MatchFailure::NoFeatures, MatchFailure::NoCommonFeatures, MatchFailure::NoTransformation,
        MatchFailure::TooFewReliable}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    const MatchOutcome outcome = FindCorrespondingPoints(c.First, c.Second);
    EXPECT_EQ(outcome.Status, MatchStatus::Failed);
    EXPECT_NE(std::find(c.Expected.begin(), c.Expected.end(), outcome.Failure), c.Expected.end())
        << static_cast<int>(outcome.Failure) << ": " << outcome.Reason;
    EXPECT_FALSE(outcome.Reason.empty());
    EXPECT_TRUE(outcome.Points1.empty());
    EXPECT_TRUE(outcome.Points2.empty());
    EXPECT_EQ(outcome.Homography[8], 0.0);
  }
}

// With a threshold no real position meets, the search must not report a
// transformation from the few pairs that happen to fit.
TEST(MatchPhotosTest, NeverReportsFewerThanFourReliablePairs) {
  const RgbImage& first = Aloe();
  const Matrix3 truth = test::ViewChange(first.Width(), first.Height(), 20, 1, 0.0008, 0, 320, 278);
  const RgbImage second = test::WarpPhoto(first, truth, 320, 278);
  MatchSettings settings;
  settings.Threshold = 1e-6;
  const MatchOutcome outcome = FindCorrespondingPoints(first, second, settings);
  EXPECT_EQ(outcome.Status, MatchStatus::Failed);
  EXPECT_TRUE(outcome.Failure == MatchFailure::NoTransformation || outcome.Failure == MatchFailure::TooFewReliable)
      << outcome.Reason;
  EXPECT_TRUE(outcome.Points1.empty());
}

class RecordingProgress : public ProgressSink {
 public:
  void SetPosition(int position) override { Positions.push_back(position); }
  std::vector<int> Positions;
};

class CancelAtPosition : public ProgressSink {
 public:
  CancelAtPosition(int position, CancelToken& token) : position_(position), token_(token) {}
  void SetPosition(int position) override {
    if (position >= position_) token_.Request();
  }

 private:
  int position_;
  CancelToken& token_;
};

TEST(MatchPhotosTest, ReportsProgressAndStopsWhenAsked) {
  const RgbImage& first = Aloe();
  const Matrix3 truth = test::ViewChange(first.Width(), first.Height(), 15, 1, 0, 0, 320, 278);
  const RgbImage second = test::WarpPhoto(first, truth, 320, 278);
  RecordingProgress progress;
  ASSERT_EQ(FindCorrespondingPoints(first, second, MatchSettings(), progress).Status, MatchStatus::Found);
  ASSERT_FALSE(progress.Positions.empty());
  EXPECT_TRUE(std::is_sorted(progress.Positions.begin(), progress.Positions.end()));
  EXPECT_EQ(progress.Positions.front(), 0);
  EXPECT_EQ(progress.Positions.back(), 100);

  // Stopped at each step: before detection, after it, during refinement.
  for (int at : {0, 50, 70}) {
    SCOPED_TRACE(at);
    CancelToken token;
    CancelAtPosition stopper(at, token);
    const MatchOutcome outcome = FindCorrespondingPoints(first, second, MatchSettings(), stopper, token);
    EXPECT_EQ(outcome.Status, MatchStatus::Cancelled);
    EXPECT_TRUE(outcome.Points1.empty());
  }
}

TEST(MatchPhotosTest, AppendPairsKeepsTheOrderAfterExistingPoints) {
  MatchOutcome outcome;
  outcome.Points1 = {VT_Point(1.5, 2.5), VT_Point(3.5, 4.5)};
  outcome.Points2 = {VT_Point(10, 20), VT_Point(30, 40)};
  VT_Points points1(kOwnsItems);
  VT_Points points2(kOwnsItems);
  points1.Add(new VT_Point(7, 7));
  points2.Add(new VT_Point(8, 8));
  match::AppendPairs(outcome, points1, points2);
  ASSERT_EQ(points1.Count(), 3);
  ASSERT_EQ(points2.Count(), 3);
  EXPECT_EQ(points1.Get(1)->X, 1.5);
  EXPECT_EQ(points1.Get(2)->Y, 4.5);
  EXPECT_EQ(points2.Get(2)->X, 30);
}

}  // namespace
}  // namespace vesk
