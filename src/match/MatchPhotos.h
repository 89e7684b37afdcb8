#pragma once

#include <string>
#include <vector>

#include "model/VT_Point.h"
#include "model/VT_Points.h"
#include "progress/ProgressSink.h"
#include "render/RgbImage.h"

namespace vesk::match {

// How corresponding points are looked for.
struct MatchSettings {
  // At most this many pairs are returned, spread over the common part of
  // the photographs: enough for a well-conditioned fit, few enough for the
  // statistical method to stay fast.
  int MaxPairs = 30;
  // A pair belongs to the transformation when its second point lies within
  // this many pixels of the first point carried into the second photograph.
  double Threshold = 3.0;
  // Features are detected on a copy whose longer side is at most this many
  // pixels; positions are then refined on the photographs themselves, so
  // the copy only needs to be large enough to find the spots (the detector
  // looks at twice its resolution anyway).
  int DetectionSide = 320;
  // The strongest features kept per photograph.
  int MaxFeatures = 2000;
};

inline constexpr int kMinMatchPairs = 4;
inline constexpr int kMaxMatchPairs = 10000;

enum class MatchStatus { Found, Failed, Cancelled };

// Why no pairs were found.
enum class MatchFailure {
  None,
  TooSmall,          // a photograph too small to hold a feature
  Identical,         // the same picture twice: nothing to match
  NoFeatures,        // a photograph without detail (uniform, blurred)
  NoCommonFeatures,  // features, but none that the other photograph shares
  NoTransformation,  // matches, but not enough that one plane transformation explains
  TooFewReliable,    // fewer than four pairs survived the check at full resolution
};

struct MatchOutcome {
  MatchStatus Status = MatchStatus::Failed;
  MatchFailure Failure = MatchFailure::None;
  std::string Reason;  // English, for the command line; empty when found

  // The pairs: Points1[i] in the first photograph corresponds to Points2[i]
  // in the second. Photograph pixels with (0, 0) at the top-left corner of
  // the first pixel, the centre of that pixel at (0.5, 0.5), as the marks
  // and the coordinate files have them.
  std::vector<VT_Point> Points1;
  std::vector<VT_Point> Points2;

  int Features1 = 0;  // features detected in each photograph
  int Features2 = 0;
  int Matches = 0;  // mutual nearest neighbours that passed the ratio test
  // Matches that a first transformation explained, positioned again at full
  // resolution (a sample spread over the overlap, eight per pair asked for).
  int Checked = 0;
  // Checked pairs consistent with the robust transformation fitted to them,
  // and the root mean square of their distances from it, in the second
  // photograph's pixels.
  int Inliers = 0;
  double Rms = 0;
  // The robust transformation, first photograph to second, row-major 3 x 3
  // in the pixel convention above; all zero when none was found.
  double Homography[9] = {};
};

// Finds pairs of points that show the same spot of a roughly planar scene in
// both photographs: scale- and rotation-invariant features, matched by their
// two nearest neighbours with a ratio test and a mutual check, kept when one
// plane projective transformation explains them, refined at full resolution
// by correlation and chosen spread over the overlap. Safe to call from a
// worker thread: progress goes to `progress` (0 to 100) on the calling thread
// and `cancel` is looked at between steps; a cancelled search returns no
// pairs. Never returns fewer than four pairs as found.
MatchOutcome FindCorrespondingPoints(const RgbImage& photo1, const RgbImage& photo2,
                                     const MatchSettings& settings = MatchSettings(),
                                     ProgressSink& progress = SilentProgress(),
                                     const CancelToken& cancel = NeverCancelled());

// Appends the found pairs to two owning point lists (the reference points of
// the two photographs), in the same order.
void AppendPairs(const MatchOutcome& outcome, VT_Points& points1, VT_Points& points2);

}  // namespace vesk::match
