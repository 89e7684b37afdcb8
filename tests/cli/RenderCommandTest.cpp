#include <gtest/gtest.h>

#include <QImageWriter>
#include <atomic>
#include <filesystem>
#include <random>
#include <sstream>

#include "cli/CliTestSupport.h"
#include "commands/RenderInputs.h"
#include "qt/ImageFiles.h"
#include "render/AnaglyphMethod.h"
#include "render/RenderEngine.h"
#include "render/RenderMessages.h"
#include "support/NoisePhoto.h"
#include "support/PhotographFiles.h"
#include "support/TempDir.h"

namespace vesk {
namespace {

using test::NoisePhoto;

using test::RunVeskCli;

// Two small photographs of different sizes.
struct Photographs : test::PhotographFiles {
  Photographs() : PhotographFiles(NoisePhoto(23, 17, 1), NoisePhoto(19, 21, 2)) {}
};

RgbImage EngineResult(const RenderRequest& request, const RgbImage& first, const RgbImage& second) {
  return RenderBuild(request, first, second, SilentProgress(), NeverCancelled()).Result;
}

TEST(RenderCommandTest, ExplicitMapsGiveTheEngineResultInBmpOrPng) {
  Photographs photos;
  struct Case {
    std::vector<std::string> Options;
    RenderRequest Request;
  };
  RenderRequest anaglyph;
  anaglyph.Mode = static_cast<BuildMode>(11);
  anaglyph.Transform1 = JobTransformFromStored({0.9, 0.1, 1.5, 0.01, -0.02, -0.05, 1.1, 0.3});
  anaglyph.Transform2 = JobTransformFromStored({1.05, -0.08, -0.4, -0.015, 0.012, 0.07, 0.95, 0.2});
  anaglyph.Area = BuildArea{-2, 20, -3, 18, 0.5};
  RenderRequest orientation;
  orientation.Mode = static_cast<BuildMode>(8);
  orientation.From = Origin::FromOrientation;
  orientation.Transform1 = JobTransformFromStored({1, 0, 0.5, 0, 0, 0, 1, -0.25});
  orientation.Plane1 = ImagePlane{11.5, 8.5, 0.9};
  orientation.Plane2 = ImagePlane{9, 10, 1.1};
  const std::vector<Case> cases = {
      {{"--mode", "11", "--transform1", "0.9,0.1,1.5,0.01,-0.02,-0.05,1.1,0.3", "--transform2",
        "1.05, -0.08, -0.4, -0.015, 0.012, 0.07, 0.95, 0.2", "--area", "-2", "20", "-3", "18", "--step", "0.5"},
       anaglyph},
      {{"--mode", "8", "--transform1", "1,0,0.5,0,0,0,1,-0.25", "--origin", "orientation", "--centre1", "11.5", "8.5",
        "--centre2", "9", "10", "--correction1", "0.9", "--correction2", "1.1", "--threads", "1"},
       orientation},
  };
  for (const Case& c : cases) {
    for (const std::string name : {"out.bmp", "out.PNG"}) {
      std::vector<std::string> args = {"render", "--photo1", photos.FirstPath, "--photo2", photos.SecondPath};
      args.insert(args.end(), c.Options.begin(), c.Options.end());
      args.insert(args.end(), {"-o", photos.Dir.File(name)});
      const auto run = RunVeskCli(args);
      ASSERT_EQ(run.Status, 0) << run.Err;
      EXPECT_EQ(run.Err, "");  // no bar when standard error is not a terminal
      const auto written = qt::LoadImage(photos.Dir.File(name));
      ASSERT_TRUE(written.has_value());
      EXPECT_TRUE(*written == EngineResult(c.Request, photos.First, photos.Second)) << name;
    }
  }
  // A 24-bit BMP: bits per pixel at byte 28; PNG signature for .png.
  const std::string bmp = photos.Dir.Read("out.bmp");
  ASSERT_GT(bmp.size(), 30u);
  EXPECT_EQ(bmp.substr(0, 2), "BM");
  EXPECT_EQ(static_cast<int>(static_cast<unsigned char>(bmp[28])), 24);
  EXPECT_EQ(photos.Dir.Read("out.PNG").substr(1, 3), "PNG");
}

TEST(RenderCommandTest, AnaglyphMethodsAndSwappedEyesInTheExplicitForm) {
  Photographs photos;
  RenderRequest request;
  request.Transform1 = JobTransformFromStored({0.9, 0.1, 1.5, 0.01, -0.02, -0.05, 1.1, 0.3});
  request.Transform2 = JobTransformFromStored({1.05, -0.08, -0.4, -0.015, 0.012, 0.07, 0.95, 0.2});
  request.Area = BuildArea{-2, 20, -3, 18, 0.5};
  const std::string out = photos.Dir.File("a.bmp");
  for (const AnaglyphMethodInfo& method : AnaglyphMethods())
    for (const bool swap : {false, true})
      for (const int mode : {2, 3, 6, 11}) {
        request.Mode = static_cast<BuildMode>(mode);
        request.Anaglyph = AnaglyphChoice{method.Method, swap};
        std::vector<std::string> args = {"render",
                                         "--photo1",
                                         photos.FirstPath,
                                         "--photo2",
                                         photos.SecondPath,
                                         "--mode",
                                         std::to_string(mode),
                                         "--transform1",
                                         "0.9,0.1,1.5,0.01,-0.02,-0.05,1.1,0.3",
                                         "--anaglyph",
                                         method.Name,
                                         "-o",
                                         out};
        // Only the builds that use them take the second map and the area.
        if (mode == 6 || mode == 11)
          args.insert(args.end(), {"--transform2", "1.05,-0.08,-0.4,-0.015,0.012,0.07,0.95,0.2"});
        if (mode == 11) args.insert(args.end(), {"--area", "-2", "20", "-3", "18", "--step", "0.5"});
        if (swap) args.push_back("--swap-eyes");
        const auto run = RunVeskCli(args);
        ASSERT_EQ(run.Status, 0) << run.Err;
        const auto written = qt::LoadImage(out);
        ASSERT_TRUE(written.has_value());
        EXPECT_TRUE(*written == EngineResult(request, photos.First, photos.Second))
            << method.Name << " mode " << mode << (swap ? " swapped" : "");
      }
  // Without the options: red-green, the second photograph behind the red filter.
  request.Mode = static_cast<BuildMode>(3);
  request.Anaglyph = AnaglyphChoice{};
  ASSERT_EQ(RunVeskCli({"render", "--photo1", photos.FirstPath, "--photo2", photos.SecondPath, "--mode", "3",
                        "--transform1", "0.9,0.1,1.5,0.01,-0.02,-0.05,1.1,0.3", "-o", out})
                .Status,
            0);
  EXPECT_TRUE(*qt::LoadImage(out) == EngineResult(request, photos.First, photos.Second));

  const auto help = RunVeskCli({"render", "--help"});
  for (const AnaglyphMethodInfo& method : AnaglyphMethods())
    EXPECT_NE(help.Out.find(std::string("\n      ") + method.Name + " "), std::string::npos) << method.Name;
  EXPECT_NE(help.Out.find("--swap-eyes"), std::string::npos);
}

TEST(RenderCommandTest, TimingAndTiffPhotographs) {
  Photographs photos;
  std::string first = photos.FirstPath;
  if (QImageWriter::supportedImageFormats().contains("tiff")) {
    QImage tiff(QString::fromStdString(photos.FirstPath));
    first = photos.Dir.File("first.tif");
    ASSERT_TRUE(tiff.save(QString::fromStdString(first), "TIFF"));
  }
  const auto run = RunVeskCli({"render", "--photo1", first, "--photo2", photos.SecondPath, "--mode", "7",
                               "--transform1", "1,0,0,0,0,0,1,0", "--timing", "-o", photos.Dir.File("t.bmp")});
  ASSERT_EQ(run.Status, 0) << run.Err;
  EXPECT_EQ(run.Err.rfind("render: ", 0), 0u) << run.Err;
  EXPECT_EQ(run.Err.substr(run.Err.size() - 4), " ms\n");
}

TEST(RenderCommandTest, WrongInputsExitWithOneAndWriteNothing) {
  Photographs photos;
  const std::string notImage = photos.Dir.Write("text.bmp", "hello");
  const std::string out = photos.Dir.File("none.bmp");
  struct Case {
    std::vector<std::string> Args;
    std::string Message;
  };
  const std::vector<Case> cases = {
      {{"--photo1", photos.Dir.File("missing.bmp"), "--photo2", photos.SecondPath, "--mode", "7", "--transform1",
        "1,0,0,0,0,0,1,0"},
       "Файл " + photos.Dir.File("missing.bmp") + " не найден!"},
      {{"--photo1", notImage, "--photo2", photos.SecondPath, "--mode", "7", "--transform1", "1,0,0,0,0,0,1,0"},
       notImage + ": " + kPhotographUnreadable + " (Unsupported image format)"},
      {{"--photo1", photos.FirstPath, "--photo2", photos.SecondPath, "--mode", "9", "--transform1", "1,0,0,0,0,0,1,0",
        "--area", "0", "0.5", "0", "10", "--step", "1"},
       kAreaSmallerThanStep},
      // d = 1 - x / 3 vanishes at x = 3: the build stops without a result.
      {{"--photo1", photos.FirstPath, "--photo2", photos.SecondPath, "--mode", "8", "--transform1",
        "1,0,0,-0.3333333333333333,0,0,1,0"},
       kRenderArithmeticFault},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"render"};
    args.insert(args.end(), c.Args.begin(), c.Args.end());
    args.insert(args.end(), {"-o", out});
    const auto run = RunVeskCli(args);
    EXPECT_EQ(run.Status, 1) << c.Message;
    EXPECT_EQ(run.Err, "vesk-cli render: " + c.Message + "\n");
    EXPECT_FALSE(std::filesystem::exists(out));
  }
}

TEST(RenderCommandTest, CtrlCStopsWithoutWritingAFile) {
  Photographs photos;
  std::ostringstream out, err;
  std::atomic<bool> interrupted{true};
  cli::CliEnvironment env{out, err, [](const char*) -> const char* { return nullptr; }, true, &interrupted};
  const std::string result = photos.Dir.File("r.bmp");
  const int status = cli::RunCli({"render", "--photo1", photos.FirstPath, "--photo2", photos.SecondPath, "--mode", "2",
                                  "--transform1", "1,0,0,0,0,0,1,0", "-o", result},
                                 env);
  EXPECT_EQ(status, 130);
  EXPECT_FALSE(std::filesystem::exists(result));
  EXPECT_NE(err.str().find("interrupted"), std::string::npos);
}

TEST(RenderCommandTest, ProgressBarOnATerminal) {
  Photographs photos;
  std::ostringstream out, err;
  std::atomic<bool> interrupted{false};
  cli::CliEnvironment env{out, err, [](const char*) -> const char* { return nullptr; }, true, &interrupted};
  const int status = cli::RunCli({"render", "--photo1", photos.FirstPath, "--photo2", photos.SecondPath, "--mode", "3",
                                  "--transform1", "1,0,0,0,0,0,1,0", "-o", photos.Dir.File("r.bmp")},
                                 env);
  EXPECT_EQ(status, 0);
  EXPECT_NE(err.str().find("] 100%"), std::string::npos) << err.str();
  EXPECT_EQ(err.str().back(), '\n');
}

TEST(RenderCommandTest, BuildMenuNamesGiveTheWorkspacesModes) {
  struct Case {
    const char* Build;
    int Without;
    int With;
  };
  const std::vector<Case> menu = {{"second-to-first", 0, 8}, {"first-to-second", 1, 7}, {"first-to-plan", 4, 9},
                                  {"second-to-plan", 5, 10}, {"anaglyph-second", 2, 2}, {"anaglyph-first", 3, 3},
                                  {"anaglyph-scene", 6, 11}};
  for (const Case& c : menu) {
    const std::optional<BuildCommand> command = BuildCommandNamed(c.Build);
    ASSERT_TRUE(command.has_value()) << c.Build;
    EXPECT_EQ(static_cast<int>(ModeFor(*command, false)), c.Without) << c.Build;
    EXPECT_EQ(static_cast<int>(ModeFor(*command, true)), c.With) << c.Build;
  }
  EXPECT_FALSE(BuildCommandNamed("anaglyph-plan").has_value());

  // The project form's defaults are the dialogs': with interpolation, area
  // -100 600 -100 500, step 1.
  cli::Arguments args({"--by", "points", "--build", "anaglyph-scene"});
  const cli::ProjectBuildOptions options = cli::ReadProjectBuildOptions(args, "p.prt");
  EXPECT_EQ(options.Mode, 11);
  EXPECT_EQ(options.Area.XMin, -100);
  EXPECT_EQ(options.Area.XMax, 600);
  EXPECT_EQ(options.Area.YMin, -100);
  EXPECT_EQ(options.Area.YMax, 500);
  EXPECT_EQ(options.Area.Step, 1);
  EXPECT_FALSE(options.AutoStep);
  cli::Arguments automatic({"--by", "orientation", "--build", "first-to-plan", "--interpolation", "on", "--step",
                            "auto", "--area", "0", "10", "-5", "5"});
  const cli::ProjectBuildOptions other = cli::ReadProjectBuildOptions(automatic, "p.prt");
  EXPECT_EQ(other.Mode, 9);
  EXPECT_TRUE(other.AutoStep);
  EXPECT_EQ(other.Area.YMin, -5);
}

TEST(RenderCommandTest, UsageErrorsExitWithTwo) {
  const std::vector<std::string> explicitForm = {"render", "--photo1", "a.bmp", "--photo2", "b.bmp"};
  const std::vector<std::vector<std::string>> usages = {
      {"--mode", "7", "--transform1", "1,0,0,0,0,0,1,0"},                  // no -o
      {"--mode", "12", "--transform1", "1,0,0,0,0,0,1,0", "-o", "x.bmp"},  // mode outside 0..11
      {"--mode", "7", "--transform1", "1,0,0,0,0,0,1", "-o", "x.bmp"},     // seven coefficients
      {"--mode", "7", "--transform1", "1,0,0,0,0,0,1,z", "-o", "x.bmp"},   // not a number
      {"--mode", "11", "--transform1", "1,0,0,0,0,0,1,0", "-o", "x.bmp"},  // no second map
      {"--mode", "7", "--transform1", "1,0,0,0,0,0,1,0", "--centre1", "1", "2", "-o", "x.bmp"},
      {"--mode", "7", "--transform1", "1,0,0,0,0,0,1,0", "--origin", "scene", "-o", "x.bmp"},
      {"--mode", "9", "--transform1", "1,0,0,0,0,0,1,0", "--step", "0", "-o", "x.bmp"},
      {"--mode", "7", "--transform1", "1,0,0,0,0,0,1,0", "--threads", "0", "-o", "x.bmp"},
      {"--mode", "7", "--transform1", "1,0,0,0,0,0,1,0", "--bogus", "-o", "x.bmp"},
      // Anaglyph colours for a build that is no anaglyph, or unknown ones.
      {"--mode", "7", "--transform1", "1,0,0,0,0,0,1,0", "--anaglyph", "red-green", "-o", "x.bmp"},
      {"--mode", "9", "--transform1", "1,0,0,0,0,0,1,0", "--swap-eyes", "-o", "x.bmp"},
      {"--mode", "2", "--transform1", "1,0,0,0,0,0,1,0", "--anaglyph", "green-magenta", "-o", "x.bmp"},
      {"--mode", "2", "--transform1", "1,0,0,0,0,0,1,0", "--anaglyph", "-o", "x.bmp"},
  };
  for (const auto& usage : usages) {
    std::vector<std::string> args = explicitForm;
    args.insert(args.end(), usage.begin(), usage.end());
    const auto run = RunVeskCli(args);
    EXPECT_EQ(run.Status, 2) << args[6] << " " << run.Err;
  }
  const auto unknown =
      RunVeskCli({"render", "--photo1", "a.bmp", "--photo2", "b.bmp", "--mode", "11", "--transform1", "1,0,0,0,0,0,1,0",
                  "--transform2", "1,0,0,0,0,0,1,0", "--anaglyph", "Red-Cyan", "-o", "x.bmp"});
  EXPECT_NE(
      unknown.Err.find("red-green, red-blue, red-cyan, red-cyan-colour, red-cyan-half-colour, red-cyan-optimised"),
      std::string::npos)
      << unknown.Err;
  const std::vector<std::vector<std::string>> projectUsages = {
      {"--by", "points", "--build", "anaglyph-scene", "-o", "x.bmp", "--interpolation", "maybe"},
      {"--by", "points", "--build", "anaglyph-plan", "-o", "x.bmp"},
      {"--by", "scene", "--build", "anaglyph-scene", "-o", "x.bmp"},
      {"--by", "points", "--build", "first-to-plan", "--step", "-1", "-o", "x.bmp"},
      {"--by", "orientation", "--build", "first-to-plan", "--convention", "polar", "-o", "x.bmp"},
      {"--by", "points", "--build", "second-to-plan", "--anaglyph", "red-cyan", "-o", "x.bmp"},
      {"--by", "orientation", "--build", "first-to-second", "--swap-eyes", "-o", "x.bmp"},
      {"--by", "points", "--build", "anaglyph-first", "--anaglyph", "cyan-red", "-o", "x.bmp"},
  };
  for (const auto& usage : projectUsages) {
    std::vector<std::string> args = {"render", "--project", "p.prt"};
    args.insert(args.end(), usage.begin(), usage.end());
    EXPECT_EQ(RunVeskCli(args).Status, 2);
  }
}

// A reversed build area gives a white picture, and an option the build
// does not use changes nothing: both are usage errors naming the option.
TEST(RenderCommandTest, ReversedAreasAndOptionsTheBuildDoesNotUseAreRefused) {
  const std::vector<std::string> map = {"1,0,0,0,0,0,1,0"};
  struct Case {
    std::vector<std::string> args;
    std::string error;
  } cases[] = {
      {{"--mode", "9", "--transform1", map[0], "--area", "300", "-60", "-210", "60"},
       "option --area: XMIN 300 is not below XMAX -60"},
      {{"--mode", "9", "--transform1", map[0], "--area", "-60", "300", "60", "60"},
       "option --area: YMIN 60 is not below YMAX 60"},
      {{"--mode", "7", "--transform1", map[0], "--area", "0", "10", "0", "10"}, "option --area not used: mode 7"},
      {{"--mode", "2", "--transform1", map[0], "--step", "0.5"}, "option --step not used: mode 2"},
      {{"--mode", "9", "--transform1", map[0], "--transform2", map[0]}, "option --transform2 not used"},
      {{"--project", "p.prt", "--by", "points", "--build", "anaglyph-scene", "--area", "300", "-60", "-210", "60"},
       "option --area: XMIN 300 is not below XMAX -60"},
      {{"--project", "p.prt", "--by", "points", "--build", "anaglyph-scene", "--interpolation", "off", "--area", "0",
        "10", "0", "10"},
       "option --area not used: --build anaglyph-scene --interpolation off"},
      {{"--project", "p.prt", "--by", "orientation", "--build", "first-to-second", "--area", "0", "10", "0", "10",
        "--step", "auto"},
       "options --area and --step not used: --build first-to-second"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"render", "-o", "x.bmp"};
    if (c.args[0] != "--project") args.insert(args.end(), {"--photo1", "a.bmp", "--photo2", "b.bmp"});
    args.insert(args.end(), c.args.begin(), c.args.end());
    const auto run = RunVeskCli(args);
    EXPECT_EQ(run.Status, 2) << run.Err;
    EXPECT_NE(run.Err.find(c.error), std::string::npos) << run.Err;
  }
}

}  // namespace
}  // namespace vesk
