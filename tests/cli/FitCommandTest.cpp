#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/CliTestSupport.h"
#include "estimation/MethodChoice.h"
#include "support/TempDir.h"

namespace vesk {
namespace {

using test::RunVeskCli;

std::string Chessboard(const std::string& name) { return (test::ExamplesDir() / "chessboard" / name).string(); }

std::vector<double> NumbersIn(const std::string& text) {
  std::vector<double> numbers;
  const char* at = text.c_str();
  while (*at != '\0') {
    if ((*at >= '0' && *at <= '9') || *at == '-') {
      char* end = nullptr;
      numbers.push_back(std::strtod(at, &end));
      at = end;
    } else {
      ++at;
    }
  }
  return numbers;
}

// The pieces of fit's --json object that the tests look at.
struct FitJson {
  std::string method;
  bool tooManySubsets = false;
  std::vector<double> primary, second;
  std::vector<double> primaryResiduals, secondResiduals;  // dx, dy, dx, dy, ...
  double primaryRms = -1, secondRms = -1;
};

// The text between `open` (searched from `from`) and the next `close`;
// `from` moves past it. Fails the test when the text is not there.
std::string Between(const std::string& text, std::size_t& from, const std::string& open, const std::string& close) {
  const std::size_t begin = text.find(open, from);
  EXPECT_EQ(begin, from) << "expected " << open << " at " << from << " in " << text;
  if (begin == std::string::npos) return {};
  const std::size_t end = text.find(close, begin + open.size());
  if (end == std::string::npos) return {};
  from = end + close.size();
  return text.substr(begin + open.size(), end - begin - open.size());
}

void ParseResiduals(const std::string& out, std::size_t& at, std::vector<double>& points, double& rms) {
  if (out.compare(at, 4, "null") == 0) {
    at += 4;
    return;
  }
  points = NumbersIn(Between(out, at, "{\"points\": [", "]]") + "]");
  rms = std::strtod(Between(out, at, ", \"rms\": ", "}").c_str(), nullptr);
}

FitJson ParseFit(const std::string& out) {
  FitJson json;
  std::size_t at = 0;
  json.method = Between(out, at, "{\"method\": \"", "\"");
  json.tooManySubsets = Between(out, at, ", \"too_many_subsets\": ", ",") == "true";
  at -= 1;  // the comma belongs to the next field
  json.primary = NumbersIn(Between(out, at, ", \"primary\": [", "]"));
  json.second = NumbersIn(Between(out, at, ", \"second\": [", "]"));
  Between(out, at, ", \"residuals\": {\"primary\": ", "");
  ParseResiduals(out, at, json.primaryResiduals, json.primaryRms);
  Between(out, at, ", \"second\": ", "");
  ParseResiduals(out, at, json.secondResiduals, json.secondRms);
  EXPECT_EQ(out.substr(at), "}}\n");
  return json;
}

double LargestResidual(const std::vector<double>& dxdy) {
  double largest = 0;
  for (std::size_t i = 0; i + 1 < dxdy.size(); i += 2) largest = std::max(largest, std::hypot(dxdy[i], dxdy[i + 1]));
  return largest;
}

TEST(FitCommandTest, ChessboardReproducesTheCornersWithEitherMethod) {
  const std::vector<std::string> common = {
      "fit", "--points1", Chessboard("left01.crd"), "--points2", Chessboard("right01.crd"), "--mode",
      "0",   "--photo1",  Chessboard("left01.bmp"), "--photo2",  Chessboard("right01.bmp"), "--json"};
  struct Case {
    std::vector<std::string> extra;
    const char* method;
  } cases[] = {
      {{}, "statistics"},  // a mean shift residual of about 5.3 px: the choice is the statistical method
      {{"--method", "least-squares"}, "least-squares"},
      {{"--method", "statistics"}, "statistics"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = common;
    args.insert(args.end(), c.extra.begin(), c.extra.end());
    const auto run = RunVeskCli(args);
    ASSERT_EQ(run.Status, 0) << run.Err;
    const FitJson json = ParseFit(run.Out);
    EXPECT_EQ(json.method, c.method);
    EXPECT_EQ(json.primary.size(), 8u);
    EXPECT_TRUE(json.second.empty());
    EXPECT_EQ(json.primaryResiduals.size(), 2u * 54);
    EXPECT_LT(json.primaryRms, 0.5) << c.method;
    EXPECT_LT(LargestResidual(json.primaryResiduals), 1.0) << c.method;
    EXPECT_EQ(json.secondRms, -1);
  }
}

TEST(FitCommandTest, SceneAnaglyphFitsBothTransformationsFromTheScene) {
  const auto run =
      RunVeskCli({"fit", "--points1", Chessboard("left01.crd"), "--points2", Chessboard("right01.crd"), "--scene",
                  Chessboard("scene.crd"), "--mode", "11", "--size1", "640", "480", "--size2", "640", "480", "--json"});
  ASSERT_EQ(run.Status, 0) << run.Err;
  const FitJson json = ParseFit(run.Out);
  EXPECT_EQ(json.primary.size(), 8u);
  EXPECT_EQ(json.second.size(), 8u);
  // Scene corner 0 at the origin lands on the first photograph's corner 0.
  EXPECT_NEAR(json.primary[2], 241.3397, 1.0);
  EXPECT_LT(json.primaryRms, 0.5);
  EXPECT_LT(json.secondRms, 0.5);
  EXPECT_EQ(json.secondResiduals.size(), 2u * 54);
}

TEST(FitCommandTest, ReadableOutputShowsCoefficientsAndResiduals) {
  const auto run = RunVeskCli(
      {"fit", "--points1", Chessboard("left01_8.crd"), "--points2", Chessboard("right01_8.crd"), "--mode", "1"});
  ASSERT_EQ(run.Status, 0) << run.Err;
  EXPECT_EQ(run.Out.rfind("method: statistics (chosen: mean shift residual ", 0), 0u) << run.Out;
  EXPECT_NE(run.Out.find(", 8 points)\nprimary transformation, photo 1 -> photo 2:\n  a0 = "), std::string::npos);
  EXPECT_NE(run.Out.find("residuals (mapped photo 1 point minus photo 2 point), rms "), std::string::npos);
  EXPECT_NE(run.Out.find("\n    8: "), std::string::npos);

  const auto chessboard =
      RunVeskCli({"fit", "--points1", Chessboard("left01.crd"), "--points2", Chessboard("right01.crd"), "--mode", "0"});
  EXPECT_EQ(chessboard.Out.rfind("method: statistics (chosen: mean shift residual 5.26", 0), 0u) << chessboard.Out;
  EXPECT_NE(chessboard.Out.find(", 54 points)\n"), std::string::npos);
}

TEST(FitCommandTest, AFailedFitSaysWhichTransformationAndWhy) {
  test::TempDir dir;
  const std::string three = dir.Write("three.crd", "0;0\r\n100;10\r\n90;120\r\n");
  const std::string tiny1 = dir.Write("tiny1.crd", "0.001;0.002\r\n0.04;0.003\r\n0.038;0.03\r\n0.002;0.031\r\n");
  const std::string tiny2 = dir.Write("tiny2.crd", "0.0015;0.0025\r\n0.041;0.005\r\n0.037;0.028\r\n0.003;0.033\r\n");
  struct Case {
    std::vector<std::string> args;
    std::string message;
  } cases[] = {
      {{"fit", "--points1", three, "--points2", three, "--mode", "0"},
       "vesk-cli fit: the primary transformation (photo 2 -> photo 1) was not fitted by statistics: no admissible "
       "four-point subset"},
      {{"fit", "--points1", tiny1, "--points2", tiny2, "--mode", "1", "--method", "least-squares"},
       "vesk-cli fit: the primary transformation (photo 1 -> photo 2) was not fitted by least-squares: the normal "
       "equations are singular or the coordinates too small"},
      {{"fit", "--points1", Chessboard("left01.crd"), "--points2", Chessboard("right01.crd"), "--scene", three,
        "--mode", "6"},
       "the point files hold different numbers of points: " + Chessboard("left01.crd") + " 54, " +
           Chessboard("right01.crd") + " 54, " + three + " 3"},
  };
  for (const Case& c : cases) {
    const auto run = RunVeskCli(c.args);
    EXPECT_EQ(run.Status, 1) << c.message;
    EXPECT_NE(run.Err.find(c.message), std::string::npos) << run.Err;
  }
}

TEST(FitCommandTest, WrongInputsExitWithOne) {
  test::TempDir dir;
  const std::string bad = dir.Write("bad.crd", "1;2\r\nx;3\r\n");
  const std::string one = dir.Write("one.crd", "1;2\r\n");
  const std::string left = Chessboard("left01.crd");
  struct Case {
    std::vector<std::string> args;
    std::string error;
  } cases[] = {
      {{"fit", "--points1", bad, "--points2", left, "--mode", "0"}, bad + ":2: Ошибка чтения файла сцены!"},
      {{"fit", "--points1", left, "--points2", one, "--mode", "0"},
       "the point files hold different numbers of points: " + left + " 54, " + one + " 1"},
      {{"fit", "--points1", left, "--points2", left, "--mode", "0", "--decimal-separator", ","},
       left + ":1: Ошибка чтения файла сцены! (the file reads with '.' as the decimal separator: add "
              "--decimal-separator .)"},
      {{"fit", "--points1", left, "--points2", left, "--mode", "0", "--photo1", bad, "--size2", "1", "1"},
       bad + ": Файл не удаётся прочитать как изображение!"},
  };
  for (const Case& c : cases) {
    const auto run = RunVeskCli(c.args);
    EXPECT_EQ(run.Status, 1) << c.error;
    EXPECT_NE(run.Err.find(c.error), std::string::npos) << run.Err;
  }
}

// Line n of each file is one point: files of different lengths are refused
// before any fit, whichever method was asked for, naming both files and
// counts (and the scene file's where the mode uses it).
TEST(FitCommandTest, PointFilesOfDifferentLengthsAreRefusedWhateverTheMethod) {
  test::TempDir dir;
  const std::string five = dir.Write("five.crd", "0;0\r\n100;0\r\n100;80\r\n0;80\r\n40;30\r\n");
  const std::string left = Chessboard("left01.crd"), right = Chessboard("right01.crd");
  const std::string scene = Chessboard("scene.crd");
  struct Case {
    std::vector<std::string> args;
    std::string listed;
  } cases[] = {
      {{"--points1", left, "--points2", five, "--mode", "0"}, left + " 54, " + five + " 5"},
      {{"--points1", left, "--points2", five, "--mode", "0", "--method", "least-squares"},
       left + " 54, " + five + " 5"},
      {{"--points1", five, "--points2", right, "--mode", "1", "--method", "statistics"}, five + " 5, " + right + " 54"},
      {{"--points1", left, "--points2", right, "--scene", five, "--mode", "11"},
       left + " 54, " + right + " 54, " + five + " 5"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"fit", "--decimal-separator", "."};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const auto run = RunVeskCli(args);
    EXPECT_EQ(run.Status, 1) << run.Err;
    EXPECT_EQ(run.Out, "");
    EXPECT_NE(run.Err.find("the point files hold different numbers of points: " + c.listed), std::string::npos)
        << run.Err;
  }
  // A scene file the mode does not use is not counted.
  EXPECT_EQ(RunVeskCli({"fit", "--decimal-separator", ".", "--points1", left, "--points2", right, "--scene", five,
                        "--mode", "0", "--method", "least-squares"})
                .Status,
            0);
}

// Points related by little more than a shift go to the statistical method,
// whose cost grows as the fourth power of their count: beyond the bound the
// automatic choice takes least squares, says so on standard error and in
// the JSON object, and the fit ends at once.
TEST(FitCommandTest, TheAutomaticChoiceTakesLeastSquaresWhereTheStatisticalMethodWouldTakeTooLong) {
  int many = 4;
  while (StatisticalSubsets(BuildMode::SecondToFirst, many) <= kMaxAutomaticStatisticalSubsets) ++many;
  test::TempDir dir;
  const auto write = [&](int count) {
    std::string first, second;
    for (int i = 0; i < count; ++i) {
      const double x = 5.0 * ((37 * i) % 101), y = 4.0 * ((53 * i) % 89);
      first += std::to_string(x) + ";" + std::to_string(y) + "\r\n";
      second += std::to_string(x + 20 + 0.01 * (i % 5)) + ";" + std::to_string(y - 5) + "\r\n";
    }
    return std::pair{dir.Write("a" + std::to_string(count) + ".crd", first),
                     dir.Write("b" + std::to_string(count) + ".crd", second)};
  };
  const auto [manyFirst, manySecond] = write(many);
  const auto [fewFirst, fewSecond] = write(12);

  const auto large = RunVeskCli(
      {"fit", "--decimal-separator", ".", "--points1", manyFirst, "--points2", manySecond, "--mode", "0", "--json"});
  ASSERT_EQ(large.Status, 0) << large.Err;
  const FitJson json = ParseFit(large.Out);
  EXPECT_EQ(json.method, "least-squares");
  EXPECT_TRUE(json.tooManySubsets);
  EXPECT_NE(large.Err.find("four-point subsets of the " + std::to_string(many) + " points"), std::string::npos)
      << large.Err;
  EXPECT_NE(large.Err.find("least squares instead"), std::string::npos) << large.Err;
  const auto readable =
      RunVeskCli({"fit", "--decimal-separator", ".", "--points1", manyFirst, "--points2", manySecond, "--mode", "0"});
  EXPECT_NE(readable.Out.find("too many subsets for the statistical method"), std::string::npos) << readable.Out;

  const auto small = RunVeskCli(
      {"fit", "--decimal-separator", ".", "--points1", fewFirst, "--points2", fewSecond, "--mode", "0", "--json"});
  ASSERT_EQ(small.Status, 0) << small.Err;
  EXPECT_EQ(ParseFit(small.Out).method, "statistics");
  EXPECT_FALSE(ParseFit(small.Out).tooManySubsets);
  EXPECT_EQ(small.Err, "");
}

TEST(FitCommandTest, UsageErrorsExitWithTwo) {
  const std::string left = Chessboard("left01.crd");
  const std::vector<std::vector<std::string>> usages = {
      {"fit", "--points1", left, "--points2", left},
      {"fit", "--points1", left, "--mode", "0"},
      {"fit", "--points1", left, "--points2", left, "--mode", "12"},
      {"fit", "--points1", left, "--points2", left, "--mode", "one"},
      {"fit", "--points1", left, "--points2", left, "--mode", "11"},
      {"fit", "--points1", left, "--points2", left, "--mode", "0", "--method", "median"},
      {"fit", "--points1", left, "--points2", left, "--mode", "0", "--sigma", "3,5"},
      {"fit", "--points1", left, "--points2", left, "--mode", "0", "--size1", "640"},
      {"fit", "--points1", left, "--points2", left, "--mode", "0", "--size1", "-640", "480"},
      {"fit", "--points1", left, "--points2", left, "--mode", "0", "--size1", "640", "480", "--photo1", left},
  };
  for (const auto& args : usages) {
    const auto run = RunVeskCli(args);
    EXPECT_EQ(run.Status, 2) << args.back() << ": " << run.Err;
  }
}

}  // namespace
}  // namespace vesk
