#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/CliTestSupport.h"
#include "qt/ImageFiles.h"
#include "qt/StereoFiles.h"
#include "render/StereoFormat.h"
#include "support/NoisePhoto.h"
#include "support/PhotographFiles.h"
#include "support/TempDir.h"

namespace vesk {
namespace {

using test::NoisePhoto;
using test::RunVeskCli;

// Two photographs of one size; with the identity map, anaglyph mode 2 shows
// the second one to the left eye and the first to the right, pixel for pixel.
struct Photographs : test::PhotographFiles {
  Photographs() : PhotographFiles(NoisePhoto(9, 7, 1), NoisePhoto(9, 7, 2)) {}
  std::vector<std::string> Render(const std::string& mode, std::vector<std::string> options) const {
    std::vector<std::string> args = {"render", "--photo1", FirstPath,      "--photo2",       SecondPath,
                                     "--mode", mode,       "--transform1", "1,0,0,0,0,0,1,0"};
    if (mode == "6" || mode == "11") args.insert(args.end(), {"--transform2", "1,0,0,0,0,0,1,0"});
    args.insert(args.end(), options.begin(), options.end());
    return args;
  }
};

TEST(RenderStereoTest, AShiftOfZeroKeepsTheAnaglyphsBytes) {
  Photographs photos;
  for (const std::string mode : {"2", "3", "6", "11"}) {
    ASSERT_EQ(RunVeskCli(photos.Render(mode, {"-o", photos.Dir.File("plain.bmp")})).Status, 0) << mode;
    ASSERT_EQ(RunVeskCli(photos.Render(
                             mode, {"--shift", "0", "--stereo-format", "anaglyph", "-o", photos.Dir.File("zero.bmp")}))
                  .Status,
              0)
        << mode;
    EXPECT_EQ(photos.Dir.Read("plain.bmp"), photos.Dir.Read("zero.bmp")) << mode;
  }
}

TEST(RenderStereoTest, TheFormatsShiftAndCropReachTheFile) {
  Photographs photos;
  const auto run = RunVeskCli(photos.Render(
      "2", {"--stereo-format", "side-by-side", "--shift", "-2", "--crop-common", "-o", photos.Dir.File("pair.png")}));
  ASSERT_EQ(run.Status, 0) << run.Err;
  const auto result = qt::LoadImage(photos.Dir.File("pair.png"));
  ASSERT_TRUE(result);
  // The right view moved two columns to the left: both eyes see columns 0..6.
  ASSERT_EQ(result->Width(), 14);
  ASSERT_EQ(result->Height(), 7);
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 7; ++x) {
      ASSERT_TRUE(result->Pixel(x, y) == photos.Second.Pixel(x, y)) << x << "," << y;
      ASSERT_TRUE(result->Pixel(7 + x, y) == photos.First.Pixel(x + 2, y)) << x << "," << y;
    }
  const auto swapped =
      RunVeskCli(photos.Render("2", {"--stereo-format", "over-under", "--swap-eyes", "-o", photos.Dir.File("ou.bmp")}));
  ASSERT_EQ(swapped.Status, 0) << swapped.Err;
  const auto overUnder = qt::LoadImage(photos.Dir.File("ou.bmp"));
  ASSERT_TRUE(overUnder);
  ASSERT_EQ(overUnder->Height(), 14);
  EXPECT_TRUE(overUnder->Pixel(3, 2) == photos.First.Pixel(3, 2));
  EXPECT_TRUE(overUnder->Pixel(3, 9) == photos.Second.Pixel(3, 2));
}

TEST(RenderStereoTest, AnMpoPairIsWrittenAndOpensAsBothPhotographs) {
  Photographs photos;
  const std::string mpo = photos.Dir.File("pair.mpo");
  const auto written = RunVeskCli(photos.Render("2", {"--shift", "1", "-o", mpo}));
  ASSERT_EQ(written.Status, 0) << written.Err;
  const auto jps = RunVeskCli(photos.Render("3", {"-o", photos.Dir.File("pair.jps")}));
  ASSERT_EQ(jps.Status, 0) << jps.Err;
  ASSERT_EQ(qt::ReadImageSize(photos.Dir.File("pair.jps"))->Width, 18);
  const auto opened = RunVeskCli({"render", "--stereo-photo", mpo, "--mode", "3", "--transform1", "1,0,0,0,0,0,1,0",
                                  "--stereo-format", "side-by-side", "-o", photos.Dir.File("again.png")});
  ASSERT_EQ(opened.Status, 0) << opened.Err;
  EXPECT_EQ(qt::ReadImageSize(photos.Dir.File("again.png"))->Width, 18);

  const auto plain = RunVeskCli({"render", "--stereo-photo", photos.FirstPath, "--mode", "3", "--transform1",
                                 "1,0,0,0,0,0,1,0", "-o", photos.Dir.File("no.png")});
  EXPECT_EQ(plain.Status, 1);
  EXPECT_NE(plain.Err.find(qt::kStereoPhotoUnreadable), std::string::npos) << plain.Err;
  EXPECT_FALSE(std::filesystem::exists(photos.Dir.File("no.png")));
}

TEST(RenderStereoTest, StereoOptionsOutsideAnaglyphBuildsAreUsageErrors) {
  Photographs photos;
  const std::string out = photos.Dir.File("out.png");
  struct Case {
    std::vector<std::string> Args;
    const char* Says;
  };
  const std::vector<Case> cases = {
      {photos.Render("7", {"--shift", "3", "-o", out}), "belong to the anaglyph builds"},
      {photos.Render("0", {"--crop-common", "-o", out}), "belong to the anaglyph builds"},
      {photos.Render("9", {"--stereo-format", "side-by-side", "-o", out}), "belong to the anaglyph builds"},
      {photos.Render("2", {"--stereo-format", "3d", "-o", out}), StereoFormatNames()},
      {photos.Render("2", {"--shift", "1.5", "-o", out}), "not a whole number"},
      {photos.Render("8", {"-o", photos.Dir.File("out.mpo")}), "two views of an anaglyph build"},
      {photos.Render("2", {"--stereo-format", "side-by-side", "-o", photos.Dir.File("out.jps")}), "own layout"},
      {{"render", "--stereo-photo", "a.mpo", "--photo1", "b.bmp", "--mode", "2", "--transform1", "1,0,0,0,0,0,1,0",
        "-o", out},
       "takes the place of --photo1"},
      {{"render", "--project", "p.prt", "--by", "points", "--build", "anaglyph-first", "--stereo-photo", "a.mpo", "-o",
        out},
       "a project names its photographs"},
      {{"render", "--project", "p.prt", "--by", "points", "--build", "second-to-plan", "--shift", "2", "-o", out},
       "belong to the anaglyph builds"},
  };
  for (const Case& c : cases) {
    const auto run = RunVeskCli(c.Args);
    EXPECT_EQ(run.Status, 2) << c.Says;
    EXPECT_NE(run.Err.find(c.Says), std::string::npos) << run.Err;
  }
  EXPECT_FALSE(std::filesystem::exists(out));
}

TEST(RenderStereoTest, HelpNamesEveryFormat) {
  const auto help = RunVeskCli({"render", "--help"});
  ASSERT_EQ(help.Status, 0);
  for (const StereoFormatInfo& format : StereoFormats())
    EXPECT_NE(help.Out.find(std::string("      ") + format.Name + " "), std::string::npos) << format.Name;
  EXPECT_NE(help.Out.find("--stereo-photo"), std::string::npos);
}

}  // namespace
}  // namespace vesk
