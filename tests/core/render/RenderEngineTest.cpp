#include "render/RenderEngine.h"
#include "render/RenderKernels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "PlainColumnWalk.h"
#include "common/VeskError.h"
#include "render/RenderMessages.h"
#include "support/JobMaps.h"
#include "support/NoisePhoto.h"

namespace vesk {
namespace {

using test::NoisePhoto;

using test::kIdentity;
using test::Map;

struct MapCase {
  const char* Name;
  JobTransform First;
  JobTransform Second;
};

// Maps that land samples on guard bounds, on .4/.6 fractions, outside the
// photographs, beyond the 32-bit range, and true projective ones; two
// photographs of different sizes so that every frame mix-up shows.
const std::vector<MapCase>& MapCases() {
  static const std::vector<MapCase> cases = {
      {"identity", kIdentity, kIdentity},
      {"shift onto bounds", Map(1, 0, 1, 0, 1, -1), Map(1, 0, -1, 0, 1, 1)},
      {"fractions", Map(1, 0, 0.4, 0, 1, -0.6), Map(0.5, 0, 0.6, 0, 0.5, 0.4)},
      {"half scale", Map(0.5, 0, 0, 0, 0.5, 0), Map(2, 0, -3, 0, 2, -2)},
      {"mirror", Map(-1, 0, 6, 0, -1, 4), Map(0, 1, 0, 1, 0, 0)},
      {"beyond 32 bits", Map(1e12, 0, -3e12, 0, 1, 0), Map(1, 0, 0, 0, -3e10, 1e10)},
      {"projective", Map(0.9, 0.1, 0.7, -0.05, 1.1, 0.3, 0.01, -0.02),
       Map(1.05, -0.08, -0.4, 0.07, 0.95, 0.2, -0.015, 0.012)},
      {"strong projective", Map(1.3, 0.4, -1, 0.2, 0.8, 1.5, 0.09, 0.07),
       Map(0.7, -0.3, 2, 0.25, 1.2, -0.5, -0.06, 0.08)},
      {"zero denominator", Map(1, 0, 0, 0, 1, 0, -1.0 / 3.0, 0), kIdentity},
      {"second map faults", kIdentity, Map(1, 0, 0, 0, 1, 0, 0, -0.5)},
  };
  return cases;
}

struct OriginCase {
  Origin From;
  ImagePlane Plane1;
  ImagePlane Plane2;
};

const std::vector<OriginCase>& OriginCases() {
  static const std::vector<OriginCase> cases = {
      {Origin::FromReferencePoints, {}, {}},
      {Origin::FromOrientation, {3.5, 2.25, 0.8}, {2, 4, 1.25}},
      {Origin::FromOrientation, {0, 0, 1}, {1, 7, 1}},
      {Origin::FromOrientation, {3, 2, 0}, {2, 4, 1}},  // a zero correction value faults
  };
  return cases;
}

const std::vector<BuildArea>& AreaCases() {
  static const std::vector<BuildArea> cases = {
      {0, 6, 0, 5, 1},  // whole multiples of the step: last column and first row fall outside
      {-1.5, 5.5, -0.5, 7, 0.5},
      {0.3, 2.9, -0.2, 1.9, 0.1},  // accumulated positions truncate onto the same pixel
      {0.25, 7.75, 0.1, 3.2, 0.3},
      {-1, 4, -2, 3, 0.5},
  };
  return cases;
}

void ExpectSameOutcome(const RenderOutcome& expected, const RenderOutcome& actual, const std::string& what) {
  ASSERT_EQ(static_cast<int>(expected.Status), static_cast<int>(actual.Status)) << what;
  ASSERT_EQ(expected.Result.Width(), actual.Result.Width()) << what;
  ASSERT_EQ(expected.Result.Height(), actual.Result.Height()) << what;
  for (int y = 0; y < expected.Result.Height(); ++y)
    for (int x = 0; x < expected.Result.Width(); ++x)
      ASSERT_TRUE(expected.Result.Pixel(x, y) == actual.Result.Pixel(x, y)) << what << " at " << x << "," << y;
}

struct EngineVariant {
  int Threads;
  int Strip;
  std::optional<InstructionSet> Instructions;
};
// Every instruction set, one and several threads, strips of one column up to
// the default width. A set the processor lacks is left out (and said so by
// the test below), since asking for it would only run the baseline again.
const std::vector<EngineVariant> kVariants = {{1, 0, std::nullopt},
                                              {3, 1, InstructionSet::Avx2},
                                              {2, 3, InstructionSet::Baseline},
                                              {2, 0, InstructionSet::Avx512},
                                              {1, 5, InstructionSet::Baseline}};

TEST(RenderEngineTest, WiderKernelsAreComparedWhereTheProcessorHasThem) {
  std::string missing;
  for (const auto& [set, name] :
       {std::pair{InstructionSet::Avx2, "AVX2"}, std::pair{InstructionSet::Avx512, "AVX-512"}})
    if (render_detail::KernelsFor(set) == nullptr) missing += std::string(missing.empty() ? "" : " and ") + name;
  if (!missing.empty()) GTEST_SKIP() << "this processor lacks " << missing << ": those kernels were not compared";
}

void CompareWithPlainWalk(const RenderRequest& request, const RgbImage& photo1, const RgbImage& photo2,
                          const std::string& what) {
  test::ProgressLog expectedLog;
  const RenderOutcome expected = test::PlainColumnWalk(request, photo1, photo2).Run(expectedLog, expectedLog.Cancel);
  for (const EngineVariant& variant : kVariants) {
    if (variant.Instructions && render_detail::KernelsFor(*variant.Instructions) == nullptr) continue;
    test::ProgressLog log;
    const RenderOutcome actual = RenderBuild(request, photo1, photo2, log, log.Cancel,
                                             RenderOptions{variant.Threads, {}, variant.Instructions, variant.Strip});
    const std::string label = what + " threads " + std::to_string(variant.Threads) + " strip " +
                              std::to_string(variant.Strip) + " instructions " +
                              std::to_string(variant.Instructions ? static_cast<int>(*variant.Instructions) : -1);
    ExpectSameOutcome(expected, actual, label);
    ASSERT_EQ(expectedLog.Events, log.Events) << label;
  }
}

RenderRequest RequestFor(int mode, const OriginCase& origin, const MapCase& map) {
  RenderRequest request;
  request.Mode = static_cast<BuildMode>(mode);
  request.From = origin.From;
  request.Plane1 = origin.Plane1;
  request.Plane2 = origin.Plane2;
  request.Transform1 = map.First;
  request.Transform2 = map.Second;
  return request;
}

std::string CaseName(int mode, const OriginCase& origin, const MapCase& map) {
  return "mode " + std::to_string(mode) + " origin " + std::to_string(static_cast<int>(origin.From)) + " map " +
         map.Name;
}

TEST(RenderEngineTest, ImageGridModesMatchThePlainColumnWalk) {
  const RgbImage photo1 = NoisePhoto(7, 5, 1);
  const RgbImage photo2 = NoisePhoto(6, 8, 2);
  for (int mode = 0; mode <= 8; ++mode)
    for (const OriginCase& origin : OriginCases())
      for (const MapCase& map : MapCases()) {
        CompareWithPlainWalk(RequestFor(mode, origin, map), photo1, photo2, CaseName(mode, origin, map));
      }
}

TEST(RenderEngineTest, BuildAreaModesMatchThePlainColumnWalk) {
  const RgbImage photo1 = NoisePhoto(7, 5, 3);
  const RgbImage photo2 = NoisePhoto(6, 8, 4);
  for (int mode = 9; mode <= 11; ++mode)
    for (const OriginCase& origin : OriginCases())
      for (const MapCase& map : MapCases())
        for (std::size_t a = 0; a < AreaCases().size(); ++a) {
          RenderRequest request = RequestFor(mode, origin, map);
          request.Area = AreaCases()[a];
          CompareWithPlainWalk(request, photo1, photo2, CaseName(mode, origin, map) + " area " + std::to_string(a));
        }
}

TEST(RenderEngineTest, LargerPhotographsMatchOnEveryStripAndThreadSplit) {
  // Wider than one strip and with more rows than the forward buffers hold per column.
  const RgbImage photo1 = NoisePhoto(301, 97, 5);
  const RgbImage photo2 = NoisePhoto(283, 103, 6);
  const JobTransform first = Map(0.97, 0.03, 4.5, -0.02, 1.01, -2.25, 0.0004, -0.0003);
  const JobTransform second = Map(1.02, -0.01, -3.75, 0.015, 0.99, 1.5, -0.0002, 0.0005);
  for (int mode = 0; mode <= 11; ++mode) {
    RenderRequest request;
    request.Mode = static_cast<BuildMode>(mode);
    request.Transform1 = first;
    request.Transform2 = second;
    request.Area = BuildArea{-5.3, 290.1, -4.1, 95.7, 0.7};
    CompareWithPlainWalk(request, photo1, photo2, "mode " + std::to_string(mode));
  }
}

const AnaglyphMethod kMethods[] = {AnaglyphMethod::RedGreen,          AnaglyphMethod::RedBlue,
                                   AnaglyphMethod::RedCyan,           AnaglyphMethod::RedCyanColour,
                                   AnaglyphMethod::RedCyanHalfColour, AnaglyphMethod::RedCyanOptimised};
const int kAnaglyphModes[] = {2, 3, 6, 11};

std::string ChoiceName(AnaglyphChoice choice) {
  return " method " + std::to_string(static_cast<int>(choice.Method)) + (choice.SwapEyes ? " swapped" : "");
}

TEST(RenderEngineTest, EveryAnaglyphMethodMatchesThePlainColumnWalk) {
  // Rows long enough for the vector kernels, and every map and origin case
  // (outside reads, guards, faults).
  const RgbImage photo1 = NoisePhoto(41, 23, 31);
  const RgbImage photo2 = NoisePhoto(37, 27, 32);
  for (const AnaglyphMethod method : kMethods)
    for (const bool swap : {false, true})
      for (const int mode : kAnaglyphModes)
        for (const OriginCase& origin : OriginCases())
          for (const MapCase& map : MapCases()) {
            RenderRequest request = RequestFor(mode, origin, map);
            request.Anaglyph = AnaglyphChoice{method, swap};
            request.Area = BuildArea{-1.5, 40.5, -0.5, 24, 0.5};
            CompareWithPlainWalk(request, photo1, photo2, CaseName(mode, origin, map) + ChoiceName(request.Anaglyph));
          }
  // Build areas whose samples meet on one result pixel.
  for (const AnaglyphMethod method : kMethods)
    for (const BuildArea& area : AreaCases()) {
      RenderRequest request = RequestFor(11, OriginCases()[0], MapCases()[6]);
      request.Anaglyph = AnaglyphChoice{method, true};
      request.Area = area;
      CompareWithPlainWalk(request, photo1, photo2, "area" + ChoiceName(request.Anaglyph));
    }
}

// The bytes the red-green anaglyphs gave before there was a choice of
// colours, for projective maps with reads outside the photographs.
TEST(RenderEngineTest, DefaultAnaglyphKeepsItsBytes) {
  const RgbImage photo1 = NoisePhoto(37, 29, 21);
  const RgbImage photo2 = NoisePhoto(31, 35, 22);
  const auto fingerprint = [](const RgbImage& image) {
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
    const auto add = [&](std::uint8_t byte) { hash = (hash ^ byte) * 1099511628211ull; };
    for (const int v : {image.Width(), image.Height()})
      for (int k = 0; k < 4; ++k) add(static_cast<std::uint8_t>(v >> (8 * k)));
    for (std::size_t i = 0; i < image.ByteCount(); ++i) add(image.Data()[i]);
    return hash;
  };
  struct Case {
    Origin From;
    int Mode;
    std::uint64_t Fingerprint;
  };
  const std::vector<Case> cases = {
      {Origin::FromReferencePoints, 2, 0x3e1f586a6bafb45eull}, {Origin::FromReferencePoints, 3, 0x6915adaf2a116d42ull},
      {Origin::FromReferencePoints, 6, 0x024d7321f12bdb85ull}, {Origin::FromReferencePoints, 11, 0x3dab091ad3a35556ull},
      {Origin::FromOrientation, 2, 0x169f71aaded5c9e8ull},     {Origin::FromOrientation, 3, 0xf2f22ddd28141760ull},
      {Origin::FromOrientation, 6, 0x3573efbce27b09feull},     {Origin::FromOrientation, 11, 0x7a6569b5631f8ab1ull},
  };
  for (const Case& c : cases) {
    RenderRequest request;
    request.Mode = static_cast<BuildMode>(c.Mode);
    request.From = c.From;
    if (c.From == Origin::FromOrientation) {
      request.Plane1 = ImagePlane{3.5, 2.25, 0.8};
      request.Plane2 = ImagePlane{2, 4, 1.25};
    }
    request.Transform1 = Map(0.9, 0.1, 0.7, -0.05, 1.1, 0.3, 0.01, -0.02);
    request.Transform2 = Map(1.05, -0.08, -0.4, 0.07, 0.95, 0.2, -0.015, 0.012);
    request.Area = BuildArea{-3.3, 33.1, -2.1, 30.7, 0.45};
    for (const EngineVariant& variant : kVariants) {
      if (variant.Instructions && render_detail::KernelsFor(*variant.Instructions) == nullptr) continue;
      test::ProgressLog log;
      const RenderOutcome outcome =
          RenderBuild(request, photo1, photo2, log, log.Cancel,
                      RenderOptions{variant.Threads, {}, variant.Instructions, variant.Strip});
      ASSERT_EQ(outcome.Status, RenderStatus::Completed);
      EXPECT_EQ(fingerprint(outcome.Result), c.Fingerprint)
          << "mode " << c.Mode << " origin " << static_cast<int>(c.From) << " threads " << variant.Threads;
    }
  }
}

constexpr int kUniformWidth = 40;
constexpr int kUniformHeight = 30;

// An anaglyph request whose maps take every point of two uniform photographs
// of kUniformWidth x kUniformHeight onto the photographs; with `away`, the
// reads through a map (both maps in mode 11, the second in mode 6) land 100
// columns beyond them.
RenderRequest LandingRequest(int mode, Origin from, bool away) {
  RenderRequest request;
  request.Mode = static_cast<BuildMode>(mode);
  request.From = from;
  const double shift = away ? 100 : 0;
  const double h = kUniformHeight;
  // Orientation jobs with the centre at 0, 0 see row y as v = -y.
  const bool orientation = from == Origin::FromOrientation;
  switch (mode) {
    case 2:
    case 3:
      request.Transform1 = Map(1, 0, shift, 0, 1, 0);
      break;
    case 6:
      request.Transform1 = orientation ? Map(1, 0, 0, 0, 1, h) : kIdentity;
      request.Transform2 = Map(1, 0, shift, 0, 1, orientation ? -h : 0);
      break;
    case 11:
      request.Transform1 = Map(1, 0, shift, 0, orientation ? -1 : 1, 0);
      request.Transform2 = request.Transform1;
      request.Area = BuildArea{0.5, kUniformWidth - 9.5, 0.5, kUniformHeight - 9.5, 1};
      break;
    default:
      break;
  }
  return request;
}

// Renders `request` on uniform photographs of the two colours and expects
// every pixel to be `expected` or left white, and pixel (5, 5) written.
void ExpectUniformAnaglyph(const RenderRequest& request, Rgb first, Rgb second, Rgb expected, bool written,
                           const std::string& what) {
  const RgbImage photo1(kUniformWidth, kUniformHeight, first);
  const RgbImage photo2(kUniformWidth, kUniformHeight, second);
  for (const EngineVariant& variant : kVariants) {
    if (variant.Instructions && render_detail::KernelsFor(*variant.Instructions) == nullptr) continue;
    test::ProgressLog log;
    const RgbImage result = RenderBuild(request, photo1, photo2, log, log.Cancel,
                                        RenderOptions{variant.Threads, {}, variant.Instructions, variant.Strip})
                                .Result;
    ASSERT_FALSE(result.Empty()) << what;
    const Rgb at = result.Pixel(5, 5);
    EXPECT_TRUE(at == (written ? expected : kWhite))
        << what << ": " << int{at.R} << "," << int{at.G} << "," << int{at.B};
    for (int y = 0; y < result.Height(); ++y)
      for (int x = 0; x < result.Width(); ++x) {
        const Rgb pixel = result.Pixel(x, y);
        ASSERT_TRUE(pixel == expected || pixel == kWhite) << what << " at " << x << "," << y;
      }
  }
}

TEST(RenderEngineTest, AnaglyphMethodsGiveTheirColoursInEveryModeAndOrigin) {
  // L, the eye behind the red filter, is the second photograph unless the
  // eyes are swapped; grey(first) = 20, grey(second) = 116.
  const Rgb first{10, 20, 31}, second{200, 100, 50};
  struct Case {
    AnaglyphMethod Method;
    bool Swap;
    Rgb First, Second, Expected;
  };
  const AnaglyphMethod optimised = AnaglyphMethod::RedCyanOptimised;
  const std::vector<Case> cases = {
      {AnaglyphMethod::RedGreen, false, first, second, {116, 20, 0}},
      {AnaglyphMethod::RedGreen, true, first, second, {20, 116, 0}},
      {AnaglyphMethod::RedBlue, false, first, second, {116, 0, 20}},
      {AnaglyphMethod::RedBlue, true, first, second, {20, 0, 116}},
      {AnaglyphMethod::RedCyan, false, first, second, {116, 20, 20}},
      {AnaglyphMethod::RedCyan, true, first, second, {20, 116, 116}},
      {AnaglyphMethod::RedCyanColour, false, first, second, {200, 20, 31}},
      {AnaglyphMethod::RedCyanColour, true, first, second, {10, 100, 50}},
      {AnaglyphMethod::RedCyanHalfColour, false, first, second, {116, 20, 31}},
      {AnaglyphMethod::RedCyanHalfColour, true, first, second, {20, 100, 50}},
      // Sums 139533, -531, 20684: rounded, the negative one to -1 and so 0.
      {optimised, false, first, second, {140, 0, 21}},
      // 12684, 149346, 45193.
      {optimised, true, first, second, {13, 149, 45}},
      // -10965, 290190, -30345: clamped at both ends.
      {optimised, false, {255, 255, 0}, {0, 0, 0}, {0, 255, 0}},
      // 267750, -37740, -29325 and -1785, 2295, 314670.
      {optimised, false, {0, 0, 0}, {255, 255, 255}, {255, 0, 0}},
      {optimised, true, {0, 0, 0}, {0, 0, 255}, {0, 2, 255}},
      // Green 40500: a half, rounded away from zero.
      {optimised, false, {66, 40, 236}, {29, 194, 130}, {117, 41, 255}},
  };
  for (const Case& c : cases)
    for (const int mode : kAnaglyphModes)
      for (const Origin from : {Origin::FromReferencePoints, Origin::FromOrientation}) {
        RenderRequest request = LandingRequest(mode, from, false);
        request.Anaglyph = AnaglyphChoice{c.Method, c.Swap};
        ExpectUniformAnaglyph(request, c.First, c.Second, c.Expected, true,
                              "mode " + std::to_string(mode) + " origin " + std::to_string(static_cast<int>(from)) +
                                  ChoiceName(request.Anaglyph));
      }
}

TEST(RenderEngineTest, AReadOutsideItsPhotographIsAWhiteSample) {
  const Rgb first{10, 20, 31}, second{200, 100, 50};
  struct Case {
    int Mode;
    Origin From;
    AnaglyphMethod Method;
    bool Swap;
    Rgb Expected;
    bool Written;
  };
  const Origin points = Origin::FromReferencePoints, orientation = Origin::FromOrientation;
  const std::vector<Case> cases = {
      // The first photograph's sample is outside: R, or L when swapped, is white.
      {2, points, AnaglyphMethod::RedCyanColour, false, {200, 255, 255}, true},
      {2, orientation, AnaglyphMethod::RedCyanColour, true, {255, 100, 50}, true},
      // The second photograph's sample is outside.
      {3, points, AnaglyphMethod::RedCyanOptimised, false, {255, 0, 7}, true},
      {3, orientation, AnaglyphMethod::RedCyanOptimised, true, {6, 255, 255}, true},
      {6, points, AnaglyphMethod::RedBlue, false, {255, 0, 20}, true},
      {6, orientation, AnaglyphMethod::RedBlue, true, {20, 0, 255}, true},
      // Both outside; a reference-point job's guard skips such points instead.
      {11, orientation, AnaglyphMethod::RedBlue, false, {255, 0, 255}, true},
      {11, points, AnaglyphMethod::RedCyanOptimised, true, kWhite, false},
  };
  for (const Case& c : cases) {
    RenderRequest request = LandingRequest(c.Mode, c.From, true);
    request.Anaglyph = AnaglyphChoice{c.Method, c.Swap};
    ExpectUniformAnaglyph(request, first, second, c.Expected, c.Written,
                          "mode " + std::to_string(c.Mode) + " origin " + std::to_string(static_cast<int>(c.From)) +
                              ChoiceName(request.Anaglyph));
  }
}

TEST(RenderEngineTest, ModesThatAreNoAnaglyphIgnoreTheColourChoice) {
  const RgbImage photo1 = NoisePhoto(9, 7, 33);
  const RgbImage photo2 = NoisePhoto(8, 9, 34);
  for (const int mode : {0, 4, 7, 10}) {
    RenderRequest request = RequestFor(mode, OriginCases()[0], MapCases()[6]);
    request.Area = BuildArea{-1, 8, -1, 8, 0.5};
    test::ProgressLog log;
    const RgbImage plain = RenderBuild(request, photo1, photo2, log, log.Cancel).Result;
    request.Anaglyph = AnaglyphChoice{AnaglyphMethod::RedCyanOptimised, true};
    EXPECT_EQ(RenderBuild(request, photo1, photo2, log, log.Cancel).Result, plain) << mode;
  }
}

TEST(RenderEngineTest, CancellationStopsAtTheStartOfAColumnWithoutResult) {
  const RgbImage photo1 = NoisePhoto(40, 30, 7);
  const RgbImage photo2 = NoisePhoto(40, 30, 8);
  for (const int mode : {0, 7, 11}) {
    for (const int column : {0, 1, 16, 39}) {
      RenderRequest request;
      request.Mode = static_cast<BuildMode>(mode);
      request.Transform1 = Map(1, 0, 0.5, 0, 1, 0.5);
      request.Transform2 = kIdentity;
      request.Area = BuildArea{0, 39, 0, 29, 1};
      test::ProgressLog expectedLog(column);
      const RenderOutcome expected =
          test::PlainColumnWalk(request, photo1, photo2).Run(expectedLog, expectedLog.Cancel);
      test::ProgressLog log(column);
      const RenderOutcome actual =
          RenderBuild(request, photo1, photo2, log, log.Cancel, RenderOptions{2, {}, std::nullopt, 8});
      EXPECT_EQ(actual.Status, RenderStatus::Cancelled);
      EXPECT_TRUE(actual.Result.Empty());
      EXPECT_EQ(expectedLog.Events, log.Events) << "mode " << mode << " column " << column;
      EXPECT_EQ(static_cast<int>(log.Events.size()), column);
    }
  }
}

TEST(RenderEngineTest, ProgressRunsInWholePercentToOneHundredWithElapsedText) {
  const RgbImage photo = NoisePhoto(3, 2, 9);
  RenderRequest request;
  request.Mode = static_cast<BuildMode>(7);
  request.Transform1 = kIdentity;
  test::ProgressLog log;
  const RenderOutcome outcome =
      RenderBuild(request, photo, photo, log, log.Cancel, RenderOptions{1, TimeOfDay{10, 0, 0}, std::nullopt, 0});
  ASSERT_EQ(outcome.Status, RenderStatus::Completed);
  const std::vector<std::string> expected = {"P33", "P66", "P100", "P100"};
  EXPECT_EQ(log.Events, expected);
  ASSERT_EQ(log.Texts.size(), 4u);
  EXPECT_NE(log.Texts.front().find(" : "), std::string::npos);
}

TEST(RenderEngineTest, IdentityFirstToPlanTurnsThePhotographUpsideDown) {
  const RgbImage photo = NoisePhoto(5, 4, 10);
  RenderRequest request;
  request.Mode = static_cast<BuildMode>(4);
  request.Transform1 = kIdentity;
  test::ProgressLog log;
  const RgbImage result = RenderBuild(request, photo, NoisePhoto(2, 2, 11), log, log.Cancel).Result;
  ASSERT_EQ(result.Width(), 5);
  ASSERT_EQ(result.Height(), 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 5; ++x) {
      // Grid point (x, y) with x, y >= 1 lands on (x, 4 - y); the top row and
      // the left column are never reached.
      const Rgb expected = (x >= 1 && y >= 1) ? photo.Pixel(x, 4 - y) : kWhite;
      EXPECT_TRUE(result.Pixel(x, y) == expected) << x << "," << y;
    }
}

TEST(RenderEngineTest, OutsideReadsAreWhiteOrBlackOrGreyByOriginAndMode) {
  const RgbImage photo1 = NoisePhoto(4, 4, 12);
  const RgbImage photo2 = NoisePhoto(4, 4, 13);
  // Everything maps two photograph widths to the right.
  const JobTransform away = Map(1, 0, 8, 0, 1, 0);
  struct Case {
    int Mode;
    Origin From;
    Rgb Expected;  // at (1, 1); (0, 0) marks "grey of the walked sample" for anaglyphs
  };
  const std::uint8_t grey2 = GreyLevel(photo2.Pixel(1, 1));
  const std::uint8_t grey1 = GreyLevel(photo1.Pixel(1, 1));
  const std::vector<Case> cases = {
      {7, Origin::FromReferencePoints, kWhite},  // guarded: skipped
      {7, Origin::FromOrientation, kBlack},      // unguarded: no colour copied as black
      {2, Origin::FromReferencePoints, Rgb{grey2, 255, 0}},
      {3, Origin::FromReferencePoints, Rgb{255, grey1, 0}},
  };
  for (const Case& c : cases) {
    RenderRequest request;
    request.Mode = static_cast<BuildMode>(c.Mode);
    request.From = c.From;
    request.Transform1 = away;
    test::ProgressLog log;
    const RgbImage result = RenderBuild(request, photo1, photo2, log, log.Cancel).Result;
    EXPECT_TRUE(result.Pixel(1, 1) == c.Expected) << "mode " << c.Mode;
  }
}

TEST(RenderEngineTest, ForwardModesWriteIntoTheOtherPhotographsFrame) {
  // The result of "second to first" has the first photograph's size and its
  // writes are kept inside that frame, and the other way round.
  const RgbImage photo1 = NoisePhoto(9, 7, 14);
  const RgbImage photo2 = NoisePhoto(5, 4, 15);
  for (const int mode : {0, 1}) {
    RenderRequest request;
    request.Mode = static_cast<BuildMode>(mode);
    // Second to first: double every coordinate; first to second: halve it.
    request.Transform1 = mode == 0 ? Map(2, 0, 0, 0, 2, 0) : Map(0.5, 0, 0, 0, 0.5, 0);
    test::ProgressLog log;
    const RgbImage result = RenderBuild(request, photo1, photo2, log, log.Cancel).Result;
    if (mode == 0) {
      ASSERT_EQ(result.Width(), 9);
      ASSERT_EQ(result.Height(), 7);
      EXPECT_TRUE(result.Pixel(8, 6) == photo2.Pixel(4, 3));  // beyond the second photograph's frame
      EXPECT_TRUE(result.Pixel(7, 6) == kWhite);
    } else {
      ASSERT_EQ(result.Width(), 5);
      ASSERT_EQ(result.Height(), 4);
      // Last write wins: (2, 3) and (3, 3) of the first both land on (1, 1).
      EXPECT_TRUE(result.Pixel(1, 1) == photo1.Pixel(3, 3));
      EXPECT_TRUE(result.Pixel(4, 3) == photo1.Pixel(8, 6));
    }
  }
}

TEST(RenderEngineTest, BuildAreaPositionsTruncateOrRoundAndSceneYGrowsUpwards) {
  // Photograph 1: 5 x 5, identity scene map. Area 0..4 step 1: 4 x 4 result;
  // column 0 (X = 0) fails the guard, row 4 (Ys = 0) falls outside.
  const RgbImage photo = NoisePhoto(5, 5, 16);
  RenderRequest request;
  request.Mode = static_cast<BuildMode>(9);
  request.Transform1 = kIdentity;
  request.Area = BuildArea{0, 4, 0, 4, 1};
  test::ProgressLog log;
  const RgbImage result = RenderBuild(request, photo, photo, log, log.Cancel).Result;
  ASSERT_EQ(result.Width(), 4);
  ASSERT_EQ(result.Height(), 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x)
      EXPECT_TRUE(result.Pixel(x, y) == (x >= 1 ? photo.Pixel(x, 4 - y) : kWhite)) << x << "," << y;

  // Rows 0..2.5 with step 1 put the samples Ys = 0, 1, 2 at row positions
  // 2.5, 1.5, 0.5: mode 9 truncates them to 2 (outside), 1, 0; mode 11 rounds
  // them to 3, 2 (both outside) and 1, leaving row 0 white.
  const RgbImage grey(10, 10, Rgb{90, 90, 90});
  for (const int mode : {9, 11}) {
    RenderRequest half;
    half.Mode = static_cast<BuildMode>(mode);
    half.Transform1 = Map(0, 0, 1, 0, 0, 1);  // every scene point reads pixel (1, 1)
    half.Transform2 = half.Transform1;
    half.Area = BuildArea{0, 1, 0, 2.5, 1};
    test::ProgressLog halfLog;
    const RgbImage out = RenderBuild(half, grey, grey, halfLog, halfLog.Cancel).Result;
    ASSERT_EQ(out.Width(), 1);
    ASSERT_EQ(out.Height(), 2);
    EXPECT_TRUE(out.Pixel(0, 0) == (mode == 9 ? Rgb{90, 90, 90} : kWhite)) << mode;
    EXPECT_TRUE(out.Pixel(0, 1) == (mode == 9 ? Rgb{90, 90, 90} : Rgb{90, 90, 0})) << mode;
  }
}

// A reversed area once gave an all-white picture reported as a success; it
// is refused before any column is walked, naming the axis.
TEST(RenderEngineTest, ReversedBoundsAreRefusedInsteadOfGivingAWhiteResult) {
  const RgbImage photo = NoisePhoto(5, 5, 17);
  for (const auto& [area, message] :
       {std::pair{BuildArea{0, 4, 3, 0, 1}, kAreaYReversed}, std::pair{BuildArea{4, 0, 0, 3, 1}, kAreaXReversed}}) {
    RenderRequest request;
    request.Mode = static_cast<BuildMode>(10);
    request.Transform1 = kIdentity;
    request.Area = area;
    test::ProgressLog log;
    try {
      RenderBuild(request, photo, photo, log, log.Cancel);
      ADD_FAILURE() << "accepted " << message;
    } catch (const VeskError& error) {
      EXPECT_STREQ(error.what(), message);
    }
    EXPECT_TRUE(log.Events.empty());
  }
}

TEST(RenderEngineTest, ArithmeticFaultsEndTheJobWithoutResult) {
  const RgbImage photo = NoisePhoto(6, 6, 18);
  RenderRequest request;
  request.Mode = static_cast<BuildMode>(8);
  request.Transform1 = Map(1, 0, 0, 0, 1, 0, -1.0 / 3.0, 0);  // d = 0 at x = 3
  test::ProgressLog log;
  const RenderOutcome outcome = RenderBuild(request, photo, photo, log, log.Cancel);
  EXPECT_EQ(outcome.Status, RenderStatus::Failed);
  EXPECT_TRUE(outcome.Result.Empty());
  // Three columns finished, then the fourth faults.
  EXPECT_EQ(log.Events.size(), 3u);

  request.From = Origin::FromOrientation;
  request.Transform1 = kIdentity;
  request.Plane1 = ImagePlane{3, 3, 0};  // a zero correction value
  EXPECT_EQ(RenderBuild(request, photo, photo, log, log.Cancel).Status, RenderStatus::Failed);
}

TEST(RenderEngineTest, ModeOutsideTheListGivesAnEmptyResult) {
  const RgbImage photo = NoisePhoto(3, 3, 19);
  for (const int mode : {-1, 12}) {
    RenderRequest request;
    request.Mode = static_cast<BuildMode>(mode);
    test::ProgressLog log;
    const RenderOutcome outcome = RenderBuild(request, photo, photo, log, log.Cancel);
    EXPECT_EQ(outcome.Status, RenderStatus::Completed);
    EXPECT_TRUE(outcome.Result.Empty());
  }
}

TEST(RenderEngineTest, UndefinedRequestsAreRefusedBeforeTheJobStarts) {
  const RgbImage photo = NoisePhoto(3, 3, 20);
  const double nan = std::nan("");
  struct Case {
    BuildArea Area;
    const char* Message;
  };
  const std::vector<Case> cases = {
      {{0, 10, 0, 10, 0}, kAreaStepNotPositive},
      {{0, 10, 0, 10, -1}, kAreaStepNotPositive},
      {{0, 10, 0, 10, nan}, kAreaStepNotPositive},
      {{0, nan, 0, 10, 1}, kAreaBoundsWrong},
      {{0, 10, -INFINITY, 10, 1}, kAreaBoundsWrong},
      {{-1e308, 1e308, 0, 10, 1}, kAreaBoundsWrong},  // the extent overflows
      {{0, 0.5, 0, 10, 1}, kAreaSmallerThanStep},
      {{0, 10, 0, 0.5, 1}, kAreaSmallerThanStep},
      // A minimum not below its maximum would walk nothing: a white picture.
      {{300, -60, -210, 60, 1}, kAreaXReversed},
      {{0, 0, 0, 10, 1}, kAreaXReversed},
      {{-60, 300, 60, -210, 1}, kAreaYReversed},
      {{0, 10, 5, 5, 1}, kAreaYReversed},
      {{0, 1e6, 0, 1e6, 1}, kAreaTooLarge},
      {{1e17, 1e17 + 4096, 0, 10, 1}, kAreaStepTooFine},  // adding 1 to 1e17 changes nothing
  };
  for (const Case& c : cases) {
    RenderRequest request;
    request.Mode = static_cast<BuildMode>(11);
    request.Area = c.Area;
    test::ProgressLog log;
    try {
      RenderBuild(request, photo, photo, log, log.Cancel);
      ADD_FAILURE() << "accepted " << c.Message;
    } catch (const VeskError& error) {
      EXPECT_STREQ(error.what(), c.Message);
    }
    EXPECT_TRUE(log.Events.empty());
  }
  RenderRequest request;
  request.Mode = static_cast<BuildMode>(7);
  test::ProgressLog log;
  EXPECT_THROW(RenderBuild(request, photo, RgbImage(0, 5), log, log.Cancel), VeskError);

  request.Anaglyph.Method = static_cast<AnaglyphMethod>(6);
  try {
    RenderBuild(request, photo, photo, log, log.Cancel);
    ADD_FAILURE() << "accepted an unknown anaglyph method";
  } catch (const VeskError& error) {
    EXPECT_STREQ(error.what(), kAnaglyphMethodUnknown);
  }
}

TEST(RenderEngineTest, CoefficientsAreReorderedFromTheStoredOrder) {
  const JobTransform t = JobTransformFromStored({1, 2, 3, 4, 5, 6, 7, 8});
  EXPECT_EQ(t.T, (std::array<double, 8>{1, 2, 3, 6, 7, 8, 4, 5}));
  VT_Points list(kOwnsItems);
  for (int i = 0; i < 7; ++i) list.Add(new VT_Point(i, 0));
  EXPECT_THROW(JobTransformFromList(list), VeskError);
  list.Add(new VT_Point(7, 0));
  EXPECT_EQ(JobTransformFromList(list).T, (std::array<double, 8>{0, 1, 2, 5, 6, 7, 3, 4}));

  // Only the scene anaglyphs read the second list; the others ignore it even
  // when it is empty.
  const VT_Points empty(kOwnsItems);
  for (int mode = 0; mode <= 11; ++mode) {
    if (mode == 6 || mode == 11) {
      EXPECT_THROW(
          MakeRenderRequest(list, empty, static_cast<BuildMode>(mode), {}, {}, {}, Origin::FromReferencePoints),
          VeskError);
      EXPECT_EQ(MakeRenderRequest(list, list, static_cast<BuildMode>(mode), {}, {}, {}, Origin::FromReferencePoints)
                    .Transform2.T,
                JobTransformFromList(list).T);
    } else {
      EXPECT_EQ(MakeRenderRequest(list, empty, static_cast<BuildMode>(mode), {}, {}, {}, Origin::FromReferencePoints)
                    .Transform1.T,
                JobTransformFromList(list).T);
    }
  }
  EXPECT_THROW(
      MakeRenderRequest(empty, list, BuildMode::FirstToSecondInterpolated, {}, {}, {}, Origin::FromReferencePoints),
      VeskError);
}

}  // namespace
}  // namespace vesk
