#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "cli/CliTestSupport.h"
#include "qt/ImageFiles.h"
#include "support/TempDir.h"

namespace vesk {
namespace {

using test::RunVeskCli;

std::string Chessboard(const std::string& name) { return (test::ExamplesDir() / "chessboard" / name).string(); }

// The board's area on the scene plane: 9 x 6 inner corners 30 mm apart, the
// first at the origin, rows going down in Y.
const std::vector<std::string> kBoardArea = {"--area", "-60", "300", "-210", "60", "--step", "0.5"};

std::vector<std::string> Args(std::vector<std::string> args, const std::vector<std::string>& more) {
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

// Share of the board's inner square centres where the red channel (second
// photograph) and the green channel (first photograph) agree on dark or
// light: high only when both photographs land on the board in register.
double SquaresInRegister(const RgbImage& anaglyph) {
  int agree = 0, total = 0;
  for (int row = 0; row < 5; ++row) {
    for (int column = 0; column < 8; ++column) {
      const double x = 15 + 30.0 * column, y = -15 - 30.0 * row;
      const int px = static_cast<int>((x + 60) / 0.5), py = static_cast<int>((60 - y) / 0.5);
      const Rgb pixel = anaglyph.Pixel(px, py);
      const bool redDark = pixel.R < 110, greenDark = pixel.G < 110;
      agree += redDark == greenDark;
      ++total;
    }
  }
  return static_cast<double>(agree) / total;
}

TEST(RenderProjectTest, SceneAnaglyphPutsTheBoardInRegisterByPointsAndByOrientation) {
  test::TempDir dir;
  for (const auto& [project, by] :
       {std::pair{"chessboard_points.prt", "points"}, std::pair{"chessboard_orientation.prt", "orientation"}}) {
    const std::string out = dir.File(std::string(by) + ".png");
    const auto run = RunVeskCli(Args({"render", "--project", Chessboard(project), "--by", by, "--build",
                                      "anaglyph-scene", "--decimal-separator", ".", "-o", out},
                                     kBoardArea));
    ASSERT_EQ(run.Status, 0) << run.Err;
    const auto anaglyph = qt::LoadImage(out);
    ASSERT_TRUE(anaglyph.has_value());
    EXPECT_EQ(anaglyph->Width(), 720);
    EXPECT_EQ(anaglyph->Height(), 540);
    EXPECT_EQ(SquaresInRegister(*anaglyph), 1.0) << by;
  }
}

TEST(RenderProjectTest, AnaglyphColoursReachTheBuildByPointsAndByOrientation) {
  // Red-blue carries red-green's green channel in blue, and swapping the eyes
  // exchanges red and green; a pixel left white stays white either way.
  test::TempDir dir;
  for (const auto& [project, by] :
       {std::pair{"chessboard_points.prt", "points"}, std::pair{"chessboard_orientation.prt", "orientation"}}) {
    const auto render = [&, project = project, by = by](const std::vector<std::string>& more) {
      const std::string out = dir.File("r.png");
      const auto run = RunVeskCli(Args(Args({"render", "--project", Chessboard(project), "--by", by, "--build",
                                             "anaglyph-scene", "--decimal-separator", ".", "-o", out},
                                            kBoardArea),
                                       more));
      EXPECT_EQ(run.Status, 0) << run.Err;
      return qt::LoadImage(out).value_or(RgbImage());
    };
    const RgbImage redGreen = render({});
    const RgbImage redBlue = render({"--anaglyph", "red-blue"});
    const RgbImage swapped = render({"--swap-eyes"});
    ASSERT_FALSE(redGreen.Empty());
    ASSERT_EQ(redBlue.Width(), redGreen.Width());
    ASSERT_EQ(swapped.Width(), redGreen.Width());
    int differences = 0;
    for (int y = 0; y < redGreen.Height(); ++y)
      for (int x = 0; x < redGreen.Width(); ++x) {
        const Rgb p = redGreen.Pixel(x, y);
        differences += !(redBlue.Pixel(x, y) == Rgb{p.R, p.B, p.G}) + !(swapped.Pixel(x, y) == Rgb{p.G, p.R, p.B});
      }
    EXPECT_EQ(differences, 0) << by;
    EXPECT_FALSE(swapped == redGreen) << by;
  }
}

TEST(RenderProjectTest, ProjectFormRendersWhatTheFittedMapsRender) {
  // The project form must make exactly the build that fitting the points
  // and rendering those coefficients makes.
  test::TempDir dir;
  const auto fit = RunVeskCli({"fit", "--points1", Chessboard("left01.crd"), "--points2", Chessboard("right01.crd"),
                               "--mode", "8", "--photo1", Chessboard("left01.bmp"), "--photo2",
                               Chessboard("right01.bmp"), "--decimal-separator", ".", "--json"});
  ASSERT_EQ(fit.Status, 0) << fit.Err;
  const std::size_t open = fit.Out.find("\"primary\": [") + 12;
  std::string coefficients = fit.Out.substr(open, fit.Out.find(']', open) - open);
  coefficients.erase(std::remove(coefficients.begin(), coefficients.end(), ' '), coefficients.end());

  const std::string fromProject = dir.File("project.bmp"), explicitMaps = dir.File("explicit.bmp");
  ASSERT_EQ(RunVeskCli({"render", "--project", Chessboard("chessboard_points.prt"), "--by", "points", "--build",
                        "second-to-first", "--decimal-separator", ".", "-o", fromProject})
                .Status,
            0);
  ASSERT_EQ(RunVeskCli({"render", "--photo1", Chessboard("left01.bmp"), "--photo2", Chessboard("right01.bmp"), "--mode",
                        "8", "--transform1", coefficients, "-o", explicitMaps})
                .Status,
            0);
  EXPECT_EQ(dir.Read("project.bmp"), dir.Read("explicit.bmp"));
}

TEST(RenderProjectTest, WrongInputSetsAreReported) {
  test::TempDir dir;
  const std::string noScene = dir.Write(
      "no-scene.prt", "[Images]\r\nImage1=" + Chessboard("left01.bmp") + "\r\nImage2=" + Chessboard("right01.bmp") +
                          "\r\n[ReperPoints]\r\nImage1ReperPoints=" + Chessboard("left01.crd") +
                          "\r\nImage2ReperPoints=" + Chessboard("right01.crd") + "\r\n");
  const std::string five = dir.Write("five.crd", "0;0\r\n100;0\r\n100;80\r\n0;80\r\n40;30\r\n");
  const std::string shortSecond = dir.Write(
      "short.prt", "[Images]\r\nImage1=" + Chessboard("left01.bmp") + "\r\nImage2=" + Chessboard("right01.bmp") +
                       "\r\n[ReperPoints]\r\nImage1ReperPoints=" + Chessboard("left01.crd") +
                       "\r\nImage2ReperPoints=" + five + "\r\n");
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string error;
  } cases[] = {
      {{"--project", noScene, "--by", "points", "--build", "anaglyph-scene"}, 1, "Укажите файл координат точек сцены!"},
      {{"--project", shortSecond, "--by", "points", "--build", "anaglyph-first"},
       1,
       "the point files hold different numbers of points: " + Chessboard("left01.crd") + " 54, " + five + " 5"},
      {{"--project", noScene, "--by", "orientation", "--build", "anaglyph-first"},
       1,
       "Ошибка чтения файла входных данных! (no Image1IntOrientation)"},
      {{"--project", dir.File("none.prt"), "--by", "points", "--build", "anaglyph-first"},
       1,
       "Файл " + dir.File("none.prt") + " не найден!"},
      {{"--project", noScene, "--by", "points", "--build", "anaglyph-first", "--convention", "laboratory"},
       2,
       "--convention belongs to --by orientation"},
      {{"--project", noScene, "--by", "sideways", "--build", "anaglyph-first"}, 2, "--by takes points or orientation"},
      {{"--project", noScene, "--by", "points", "--build", "upside-down"}, 2, "--build takes"},
  };
  for (const Case& c : cases) {
    const auto run = RunVeskCli(Args(Args({"render"}, c.args), {"--decimal-separator", ".", "-o", dir.File("x.bmp")}));
    EXPECT_EQ(run.Status, c.status) << run.Err;
    EXPECT_NE(run.Err.find(c.error), std::string::npos) << run.Err;
  }
  EXPECT_FALSE(std::filesystem::exists(dir.File("x.bmp")));
}

}  // namespace
}  // namespace vesk
