#include "render/StereoBuild.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/VeskError.h"
#include "render/RenderMessages.h"
#include "support/JobMaps.h"
#include "support/NoisePhoto.h"

namespace vesk {
namespace {

using test::NoisePhoto;

using test::kIdentity;
using test::Map;

void ExpectSamePicture(const RgbImage& expected, const RgbImage& actual, const std::string& what) {
  ASSERT_EQ(expected.Width(), actual.Width()) << what;
  ASSERT_EQ(expected.Height(), actual.Height()) << what;
  for (int y = 0; y < expected.Height(); ++y)
    for (int x = 0; x < expected.Width(); ++x)
      ASSERT_TRUE(expected.Pixel(x, y) == actual.Pixel(x, y)) << what << " at " << x << "," << y;
}

EyeViews RenderViews(const RenderRequest& request, const RgbImage& photo1, const RgbImage& photo2, bool marks) {
  EyeViewsOutcome outcome = RenderEyeViews(request, photo1, photo2, SilentProgress(), NeverCancelled(), marks);
  EXPECT_EQ(outcome.Status, RenderStatus::Completed);
  return std::move(outcome.Views);
}

// Composing the anaglyph from the two views, unshifted, must give exactly
// the bytes the rendering job gives, whatever the mode, map, origin, colours
// and eye order: the shifted anaglyph is the same composition.
TEST(StereoBuildTest, TheAnaglyphOfTheUnshiftedViewsIsTheBuildsOwn) {
  struct MapCase {
    const char* Name;
    JobTransform First;
    JobTransform Second;
  };
  const std::vector<MapCase> maps = {
      {"identity", kIdentity, kIdentity},
      {"shift onto bounds", Map(1, 0, 1, 0, 1, -1), Map(1, 0, -1, 0, 1, 1)},
      {"half scale", Map(0.5, 0, 0, 0, 0.5, 0), Map(2, 0, -3, 0, 2, -2)},
      {"projective", Map(0.9, 0.1, 0.7, -0.05, 1.1, 0.3, 0.01, -0.02),
       Map(1.05, -0.08, -0.4, 0.07, 0.95, 0.2, -0.015, 0.012)},
  };
  struct OriginCase {
    Origin From;
    ImagePlane Plane1, Plane2;
  };
  const std::vector<OriginCase> origins = {{Origin::FromReferencePoints, {}, {}},
                                           {Origin::FromOrientation, {3.5, 2.25, 0.8}, {2, 4, 1.25}}};
  // Areas on whole steps, and one whose positions truncate onto the same pixel.
  const std::vector<BuildArea> areas = {{-1.5, 9.5, -0.5, 9, 0.5}, {0.3, 2.9, -0.2, 1.9, 0.1}};
  const RgbImage photo1 = NoisePhoto(9, 6, 11);
  const RgbImage photo2 = NoisePhoto(7, 10, 12);
  for (int mode : {2, 3, 6, 11})
    for (const MapCase& map : maps)
      for (const OriginCase& origin : origins)
        for (const BuildArea& area : areas)
          for (const AnaglyphMethodInfo& method : AnaglyphMethods())
            for (bool swap : {false, true}) {
              if (mode != 11 && &area != &areas.front()) continue;
              RenderRequest request;
              request.Mode = static_cast<BuildMode>(mode);
              request.From = origin.From;
              request.Plane1 = origin.Plane1;
              request.Plane2 = origin.Plane2;
              request.Transform1 = map.First;
              request.Transform2 = map.Second;
              request.Area = area;
              request.Anaglyph = AnaglyphChoice{method.Method, swap};
              const std::string what = "mode " + std::to_string(mode) + " " + map.Name + " origin " +
                                       std::to_string(static_cast<int>(origin.From)) + " " + method.Name +
                                       (swap ? " swapped" : "");
              const RenderOutcome built = RenderBuild(request, photo1, photo2, SilentProgress(), NeverCancelled());
              ASSERT_EQ(built.Status, RenderStatus::Completed) << what;
              const EyeViews views = RenderViews(request, photo1, photo2, true);
              ExpectSamePicture(built.Result, ComposeStereo(views, StereoFormat::Anaglyph, method.Method), what);
            }
}

// Mode 2 with identity maps: the left eye (behind the red filter) sees the
// second photograph as it is, the right eye the first; swapped, the other
// way round. Every pixel is a sample of both photographs.
struct IdentityPair {
  RgbImage Photo1 = NoisePhoto(6, 4, 21);
  RgbImage Photo2 = NoisePhoto(6, 4, 22);
  RenderRequest Request(bool swap = false) const {
    RenderRequest request;
    request.Mode = BuildMode::AnaglyphOnSecond;
    request.Transform1 = kIdentity;
    request.Anaglyph = AnaglyphChoice{AnaglyphMethod::RedCyanColour, swap};
    return request;
  }
};

TEST(StereoBuildTest, TheLeftEyeIsTheOneBehindTheRedFilter) {
  const IdentityPair pair;
  const EyeViews views = RenderViews(pair.Request(), pair.Photo1, pair.Photo2, true);
  ExpectSamePicture(pair.Photo2, views.Left, "left");
  ExpectSamePicture(pair.Photo1, views.Right, "right");
  for (std::uint8_t mark : views.Marks) EXPECT_EQ(mark, kLeftDrawn | kLeftCovered | kRightDrawn | kRightCovered);
  const EyeViews swapped = RenderViews(pair.Request(true), pair.Photo1, pair.Photo2, false);
  ExpectSamePicture(pair.Photo1, swapped.Left, "swapped left");
  ExpectSamePicture(pair.Photo2, swapped.Right, "swapped right");
  EXPECT_TRUE(swapped.Marks.empty());
}

TEST(StereoBuildTest, TheShiftMovesTheRightEyeAndFillsWithWhite) {
  const IdentityPair pair;
  for (int shift : {2, -3, 6, -40}) {
    RenderRequest request = pair.Request();
    request.Stereo.Shift = shift;
    const RenderOutcome outcome =
        RenderStereoBuild(request, pair.Photo1, pair.Photo2, SilentProgress(), NeverCancelled());
    ASSERT_EQ(outcome.Status, RenderStatus::Completed);
    ASSERT_EQ(outcome.Result.Width(), 6);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 6; ++x) {
        const int from = x - shift;
        const Rgb right = from >= 0 && from < 6 ? pair.Photo1.Pixel(from, y) : kWhite;
        const Rgb expected{pair.Photo2.Pixel(x, y).R, right.G, right.B};
        ASSERT_TRUE(outcome.Result.Pixel(x, y) == expected) << "shift " << shift << " at " << x << "," << y;
      }
  }
}

TEST(StereoBuildTest, ThePixelsNeitherEyeHasStayWhite) {
  // Two columns where the left eye has nothing, one of them also without the
  // right eye: only that one keeps the background.
  EyeViews views;
  views.Left = RgbImage(3, 1, Rgb{10, 20, 30});
  views.Right = RgbImage(3, 1, Rgb{40, 50, 60});
  views.Marks = {kLeftDrawn | kRightDrawn, kRightDrawn, 0};
  const RgbImage result = ComposeStereo(views, StereoFormat::Anaglyph, AnaglyphMethod::RedGreen);
  EXPECT_TRUE(result.Pixel(0, 0) == (Rgb{20, 50, 0}));
  EXPECT_TRUE(result.Pixel(1, 0) == (Rgb{20, 50, 0}));
  EXPECT_TRUE(result.Pixel(2, 0) == kWhite);
}

TEST(StereoBuildTest, TheCropKeepsWhereBothEyesSeeTheirPhotographs) {
  // The right eye reads the first photograph two columns to the right and one
  // row down, so its last two columns and last row fall outside; shifted one
  // to the right, its first column is empty too.
  const IdentityPair pair;
  RenderRequest request = pair.Request();
  request.Transform1 = Map(1, 0, 2, 0, 1, 1);
  request.Stereo = StereoChoice{StereoFormat::Anaglyph, 1, true};
  const RenderOutcome outcome =
      RenderStereoBuild(request, pair.Photo1, pair.Photo2, SilentProgress(), NeverCancelled());
  ASSERT_EQ(outcome.Status, RenderStatus::Completed);
  ASSERT_EQ(outcome.Result.Width(), 4);
  ASSERT_EQ(outcome.Result.Height(), 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) {
      const Rgb left = pair.Photo2.Pixel(1 + x, y);
      const Rgb right = pair.Photo1.Pixel(2 + x, y + 1);
      ASSERT_TRUE(outcome.Result.Pixel(x, y) == (Rgb{left.R, right.G, right.B})) << x << "," << y;
    }

  request.Stereo.Format = StereoFormat::SideBySide;
  const RenderOutcome sideBySide =
      RenderStereoBuild(request, pair.Photo1, pair.Photo2, SilentProgress(), NeverCancelled());
  EXPECT_EQ(sideBySide.Result.Width(), 8);
  EXPECT_EQ(sideBySide.Result.Height(), 3);

  request.Stereo.Shift = 6;  // the right eye's view moved out of the frame
  try {
    RenderStereoBuild(request, pair.Photo1, pair.Photo2, SilentProgress(), NeverCancelled());
    FAIL() << "a crop without a common part was accepted";
  } catch (const VeskError& error) {
    EXPECT_STREQ(error.what(), kNoCommonPart);
  }
}

TEST(StereoBuildTest, TheCommonPartIsTheLargestRectangleOfCommonPixels) {
  // 1 marks a common pixel. The tall column block (2 x 4 = 8) beats the
  // wide top row (5 x 1) and the 3 x 2 block at the bottom right.
  const std::vector<std::string> rows = {
      "11111",
      "11000",
      "11011",
      "11011",
  };
  EyeViews views;
  views.Left = RgbImage(5, 4);
  views.Right = RgbImage(5, 4);
  for (const std::string& row : rows)
    for (char c : row)
      views.Marks.push_back(c == '1' ? kLeftDrawn | kLeftCovered | kRightDrawn | kRightCovered
                                     : kLeftDrawn | kLeftCovered | kRightDrawn);
  EXPECT_EQ(CommonPart(views), (PixelRect{0, 0, 2, 4}));
  for (std::uint8_t& mark : views.Marks) mark &= ~kRightCovered;
  EXPECT_EQ(CommonPart(views), std::nullopt);
}

TEST(StereoBuildTest, EveryFormatLaysTheViewsOutItsWay) {
  // Three columns, so that the squeeze has a last odd column.
  EyeViews views;
  views.Left = RgbImage(3, 2);
  views.Right = RgbImage(3, 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) {
      views.Left.SetPixel(x, y, Rgb{static_cast<std::uint8_t>(10 * x + y), 0, 1});
      views.Right.SetPixel(x, y, Rgb{static_cast<std::uint8_t>(100 + 10 * x + y), 0, 2});
    }
  const auto left = [&](int x, int y) { return views.Left.Pixel(x, y); };
  const auto right = [&](int x, int y) { return views.Right.Pixel(x, y); };
  struct Sample {
    int X, Y;
    Rgb Expected;
  };
  struct FormatCase {
    StereoFormat Format;
    int Width, Height;
    std::vector<Sample> Samples;
  };
  const std::vector<FormatCase> cases = {
      {StereoFormat::SideBySide,
       6,
       2,
       {{0, 0, left(0, 0)}, {2, 1, left(2, 1)}, {3, 0, right(0, 0)}, {5, 1, right(2, 1)}}},
      {StereoFormat::SideBySideCrossed,
       6,
       2,
       {{0, 0, right(0, 0)}, {2, 1, right(2, 1)}, {3, 0, left(0, 0)}, {5, 1, left(2, 1)}}},
      {StereoFormat::OverUnder,
       3,
       4,
       {{0, 0, left(0, 0)}, {2, 1, left(2, 1)}, {0, 2, right(0, 0)}, {2, 3, right(2, 1)}}},
      // Columns 0 and 1 (levels 0 and 10, or 1 and 11) give their rounded
      // mean; column 2 stays.
      {StereoFormat::SideBySideHalf,
       4,
       2,
       {{0, 0, Rgb{5, 0, 1}}, {0, 1, Rgb{6, 0, 1}}, {1, 1, left(2, 1)}, {2, 0, Rgb{105, 0, 2}}, {3, 0, right(2, 0)}}},
  };
  for (const FormatCase& format : cases) {
    const RgbImage result = ComposeStereo(views, format.Format, AnaglyphMethod::RedGreen);
    const std::string what = "format " + std::to_string(static_cast<int>(format.Format));
    ASSERT_EQ(result.Width(), format.Width) << what;
    ASSERT_EQ(result.Height(), format.Height) << what;
    for (const Sample& sample : format.Samples)
      EXPECT_TRUE(result.Pixel(sample.X, sample.Y) == sample.Expected) << what << " at " << sample.X << "," << sample.Y;
  }
}

TEST(StereoBuildTest, OnlyAnaglyphBuildsTakeAStereoChoice) {
  const RgbImage photo = NoisePhoto(4, 3, 5);
  RenderRequest request;
  request.Mode = BuildMode::FirstToSecondInterpolated;
  request.Transform1 = kIdentity;
  // The default choice builds what RenderBuild builds.
  const RenderOutcome plain = RenderStereoBuild(request, photo, photo, SilentProgress(), NeverCancelled());
  ExpectSamePicture(RenderBuild(request, photo, photo, SilentProgress(), NeverCancelled()).Result, plain.Result,
                    "default choice");
  for (const StereoChoice& choice :
       {StereoChoice{StereoFormat::Anaglyph, 1, false}, StereoChoice{StereoFormat::Anaglyph, 0, true},
        StereoChoice{StereoFormat::OverUnder, 0, false}}) {
    request.Stereo = choice;
    try {
      RenderStereoBuild(request, photo, photo, SilentProgress(), NeverCancelled());
      FAIL() << "a stereo choice on a transformed image was accepted";
    } catch (const VeskError& error) {
      EXPECT_STREQ(error.what(), kStereoNeedsAnaglyph);
    }
  }
  request.Mode = BuildMode::AnaglyphOnFirst;
  request.Stereo = StereoChoice{static_cast<StereoFormat>(9), 0, false};
  EXPECT_THROW(RenderStereoBuild(request, photo, photo, SilentProgress(), NeverCancelled()), VeskError);
}

TEST(StereoBuildTest, AStopEndsTheViewsWithoutAResult) {
  const IdentityPair pair;
  CancelToken cancel;
  cancel.Request();
  RenderRequest request = pair.Request();
  request.Stereo.Shift = 1;
  EXPECT_EQ(RenderStereoBuild(request, pair.Photo1, pair.Photo2, SilentProgress(), cancel).Status,
            RenderStatus::Cancelled);
}

}  // namespace
}  // namespace vesk
