#include "MatchPhotos.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <future>
#include <opencv2/core.hpp>
#include <set>
#include <stdexcept>
#include <tuple>

#include "DetectionImage.h"
#include "FeatureDetection.h"
#include "FeatureMatching.h"
#include "Homography.h"
#include "PairSelection.h"
#include "PositionRefinement.h"
#include "RobustFit.h"

namespace vesk::match {

namespace {

// Smaller photographs cannot hold a feature with its neighbourhood.
constexpr int kMinSide = 16;
// A transformation found by chance among unrelated matches rarely gathers
// more than a handful of them; this many are the least taken as evidence.
constexpr int kMinEvidence = 8;
// Matches positioned at full resolution per pair asked for (and at least
// the minimum): chosen spread over the overlap, enough that the robust fit
// and the final choice have plenty to pick from; more would only cost time.
constexpr int kRefinedPerPair = 8;
constexpr int kMinRefined = 240;

MatchOutcome Failure(MatchOutcome outcome, MatchFailure failure, std::string reason) {
  outcome.Status = MatchStatus::Failed;
  outcome.Failure = failure;
  outcome.Reason = std::move(reason);
  outcome.Points1.clear();
  outcome.Points2.clear();
  outcome.Inliers = 0;
  outcome.Rms = 0;
  std::fill(std::begin(outcome.Homography), std::end(outcome.Homography), 0.0);
  return outcome;
}

MatchOutcome Cancelled(MatchOutcome outcome) {
  outcome = Failure(std::move(outcome), MatchFailure::None, std::string());
  outcome.Status = MatchStatus::Cancelled;
  return outcome;
}

bool SamePicture(const RgbImage& a, const RgbImage& b) {
  return a.Width() == b.Width() && a.Height() == b.Height() &&
         (a.ByteCount() == 0 || std::memcmp(a.Data(), b.Data(), a.ByteCount()) == 0);
}

// The size of a detection image's pixel in the photograph's pixels.
double PixelSize(const DetectionImage& image) { return std::max(image.ScaleX, image.ScaleY); }

MatchOutcome Search(const RgbImage& photo1, const RgbImage& photo2, const MatchSettings& settings,
                    ProgressSink& progress, const CancelToken& cancel) {
  MatchOutcome outcome;
  progress.SetPosition(0);
  if (std::min(photo1.Width(), photo1.Height()) < kMinSide || std::min(photo2.Width(), photo2.Height()) < kMinSide)
    return Failure(outcome, MatchFailure::TooSmall,
                   "a photograph smaller than " + std::to_string(kMinSide) + " x " + std::to_string(kMinSide) +
                       " pixels holds no features to match");
  if (SamePicture(photo1, photo2))
    return Failure(outcome, MatchFailure::Identical,
                   "the two photographs are the same picture: there is nothing to match");

  // The two photographs are independent until matching: one on a second
  // thread, one here.
  const int side = std::max(kMinSide, settings.DetectionSide);
  const int maxFeatures = std::max(1, settings.MaxFeatures);
  struct Detected {
    DetectionImage Image;
    Features Found;
  };
  const auto detect = [side, maxFeatures](const RgbImage& photo) {
    Detected detected;
    detected.Image = MakeDetectionImage(photo, side);
    detected.Found = DetectFeatures(detected.Image, maxFeatures);
    return detected;
  };
  std::future<Detected> second = std::async(std::launch::async, detect, std::cref(photo2));
  Detected first = detect(photo1);
  Detected other = second.get();
  progress.SetPosition(50);
  if (cancel.Requested()) return Cancelled(outcome);
  outcome.Features1 = first.Found.Count();
  outcome.Features2 = other.Found.Count();
  if (outcome.Features1 == 0 || outcome.Features2 == 0)
    return Failure(outcome, MatchFailure::NoFeatures,
                   std::string(outcome.Features1 == 0 ? "the first" : "the second") +
                       " photograph has no detail to match (uniform or blurred)");

  const std::vector<FeatureMatch> matches = MatchFeatures(first.Found, other.Found);
  outcome.Matches = static_cast<int>(matches.size());
  progress.SetPosition(65);
  if (cancel.Requested()) return Cancelled(outcome);
  if (outcome.Matches < kMinEvidence)
    return Failure(outcome, MatchFailure::NoCommonFeatures,
                   "the photographs share no features (" + std::to_string(outcome.Matches) +
                       " matches): they do not show the same scene");

  // A first transformation from the detection images' positions, with the
  // threshold widened to their coarser pixels.
  std::vector<cv::Point2d> from, to;
  std::vector<double> strength;
  for (const FeatureMatch& m : matches) {
    from.push_back(first.Found.Points[static_cast<std::size_t>(m.First)]);
    to.push_back(other.Found.Points[static_cast<std::size_t>(m.Second)]);
    strength.push_back(first.Found.Strength[static_cast<std::size_t>(m.First)]);
  }
  const double areaRatio = std::sqrt((static_cast<double>(photo2.Width()) * photo2.Height()) /
                                     (static_cast<double>(photo1.Width()) * photo1.Height()));
  const double coarseThreshold =
      settings.Threshold * std::max({1.0, PixelSize(other.Image), PixelSize(first.Image) * areaRatio});
  const RobustFit coarse = FitRobustly(from, to, coarseThreshold);
  progress.SetPosition(70);
  if (cancel.Requested()) return Cancelled(outcome);
  if (!coarse.Found || coarse.InlierCount < kMinEvidence ||
      !IsPlausible(coarse.Transformation, photo1.Width(), photo1.Height()))
    return Failure(outcome, MatchFailure::NoTransformation,
                   "no plane projective transformation explains the matches (" +
                       std::to_string(coarse.Found ? coarse.InlierCount : 0) + " of " +
                       std::to_string(outcome.Matches) + " agree): the photographs show different scenes");

  // Every agreeing match positioned again on the photographs themselves,
  // always resampling the photograph that shows the scene coarser.
  std::vector<cv::Point2d> agreeing;
  std::vector<double> agreeingStrength;
  std::vector<std::size_t> agreeingIndex;
  for (std::size_t i = 0; i < from.size(); ++i)
    if (coarse.Inliers[i]) {
      agreeing.push_back(from[i]);
      agreeingStrength.push_back(strength[i]);
      agreeingIndex.push_back(i);
    }
  const int count = std::clamp(settings.MaxPairs, kMinMatchPairs, kMaxMatchPairs);
  const std::vector<int> toRefine =
      SpreadOverGrid(agreeing, agreeingStrength, std::max(kMinRefined, kRefinedPerPair * count));
  const Homography forward = coarse.Transformation;
  const Homography backward = forward.inv();
  std::vector<cv::Point2d> refined1, refined2;
  std::vector<double> scores;
  std::set<std::tuple<long long, long long, bool>> settled;
  for (std::size_t k = 0; k < toRefine.size(); ++k) {
    if (k % 32 == 0) {
      if (cancel.Requested()) return Cancelled(outcome);
      progress.SetPosition(70 + static_cast<int>(25 * k / toRefine.size()));
    }
    const std::size_t i = agreeingIndex[static_cast<std::size_t>(toRefine[k])];
    const bool secondIsCoarser = std::abs(LocalScale(forward, from[i])) <= 1.0;
    const RefinedPair pair =
        secondIsCoarser ? RefinePair(photo1, photo2, forward, from[i]) : RefinePair(photo2, photo1, backward, to[i]);
    if (!pair.Found) continue;
    // Two features can settle on the same pixel; a point twice would make
    // degenerate subsets for the statistical method.
    const cv::Point2d& fixed = pair.Fixed;
    if (!settled
             .insert({static_cast<long long>(std::floor(fixed.x)), static_cast<long long>(std::floor(fixed.y)),
                      secondIsCoarser})
             .second)
      continue;
    refined1.push_back(secondIsCoarser ? pair.Fixed : pair.Moving);
    refined2.push_back(secondIsCoarser ? pair.Moving : pair.Fixed);
    scores.push_back(pair.Score);
  }
  if (cancel.Requested()) return Cancelled(outcome);

  const RobustFit final = FitRobustly(refined1, refined2, settings.Threshold);
  if (!final.Found || final.InlierCount < kMinMatchPairs ||
      !IsPlausible(final.Transformation, photo1.Width(), photo1.Height()))
    return Failure(outcome, MatchFailure::TooFewReliable,
                   "fewer than " + std::to_string(kMinMatchPairs) +
                       " reliable pairs: the neighbourhoods of the matches do not agree at full resolution (" +
                       std::to_string(final.Found ? final.InlierCount : 0) + " of " + std::to_string(refined1.size()) +
                       " pairs within the threshold)");

  std::vector<cv::Point2d> inliers1;
  std::vector<double> inlierScores;
  std::vector<std::size_t> inlierIndex;
  for (std::size_t i = 0; i < refined1.size(); ++i)
    if (final.Inliers[i]) {
      inliers1.push_back(refined1[i]);
      inlierScores.push_back(scores[i]);
      inlierIndex.push_back(i);
    }
  for (int chosen : SpreadOverGrid(inliers1, inlierScores, count)) {
    const std::size_t i = inlierIndex[static_cast<std::size_t>(chosen)];
    outcome.Points1.emplace_back(refined1[i].x, refined1[i].y);
    outcome.Points2.emplace_back(refined2[i].x, refined2[i].y);
  }
  outcome.Checked = static_cast<int>(refined1.size());
  outcome.Inliers = final.InlierCount;
  outcome.Rms = final.Rms;
  for (int q = 0; q < 9; ++q) outcome.Homography[q] = final.Transformation.val[q] / final.Transformation.val[8];
  outcome.Status = MatchStatus::Found;
  progress.SetPosition(100);
  return outcome;
}

}  // namespace

MatchOutcome FindCorrespondingPoints(const RgbImage& photo1, const RgbImage& photo2, const MatchSettings& settings,
                                     ProgressSink& progress, const CancelToken& cancel) {
  try {
    return Search(photo1, photo2, settings, progress, cancel);
  } catch (const cv::Exception& error) {
    // Callers know nothing of OpenCV: its failures come out as the
    // standard library's.
    if (error.code == cv::Error::StsNoMem) throw std::bad_alloc();
    throw std::runtime_error(std::string("feature matching failed: ") + error.what());
  }
}

void AppendPairs(const MatchOutcome& outcome, VT_Points& points1, VT_Points& points2) {
  for (std::size_t i = 0; i < outcome.Points1.size() && i < outcome.Points2.size(); ++i) {
    points1.Add(new VT_Point(outcome.Points1[i].X, outcome.Points1[i].Y));
    points2.Add(new VT_Point(outcome.Points2[i].X, outcome.Points2[i].Y));
  }
}

}  // namespace vesk::match
