#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cli/CliTestSupport.h"
#include "files/CoordinateFile.h"
#include "imageio/BmpFile.h"
#include "qt/ImageFiles.h"
#include "render/RenderMessages.h"
#include "support/SyntheticPair.h"
#include "support/TempDir.h"

namespace vesk {
namespace {

using test::RunVeskCli;

std::string Example(const std::string& name) { return (test::ExamplesDir() / name).string(); }

// A pair with a known transformation: the aloe photograph at half size and
// the same turned by 12 degrees and slightly tilted, written as BMP and PNG,
// with the two outputs' paths.
struct MatchFiles {
  test::TempDir Dir;
  RgbImage First;
  RgbImage Second;
  test::Matrix3 Truth{};
  std::string Photo1 = Dir.File("first.bmp");
  std::string Photo2 = Dir.File("second.png");
  std::string Points1 = Dir.File("first.crd");
  std::string Points2 = Dir.File("second.crd");
  MatchFiles() {
    const BmpDecodeResult aloe = LoadBmpFile(Example("aloe/aloeL.bmp"));
    const test::Matrix3 half = test::ViewChange(aloe.Image.Width(), aloe.Image.Height(), 0, 0.5, 0, 0, 320, 278);
    First = test::WarpPhoto(aloe.Image, half, 320, 278);
    Truth = test::ViewChange(320, 278, 12, 1, 0.0006, 0, 320, 278);
    Second = test::WarpPhoto(First, Truth, 320, 278);
    EXPECT_TRUE(qt::SaveImage(First, Photo1));
    EXPECT_TRUE(qt::SaveImage(Second, Photo2));
  }
  std::vector<std::string> Args(std::vector<std::string> more = {}) const {
    std::vector<std::string> args = {"match",     "--photo1", Photo1,      "--photo2", Photo2,
                                     "--points1", Points1,    "--points2", Points2};
    args.insert(args.end(), more.begin(), more.end());
    return args;
  }
};

std::vector<VT_Point> ReadPoints(const std::string& path, char separator) {
  VT_Points list(kOwnsItems);
  EXPECT_FALSE(ReadPointFile(path, list, NumberFormat{separator})) << path;
  std::vector<VT_Point> points;
  for (int i = 0; i < list.Count(); ++i) points.emplace_back(list.Get(i)->X, list.Get(i)->Y);
  return points;
}

std::vector<double> NumbersAfter(const std::string& text, const std::string& key) {
  std::vector<double> numbers;
  std::size_t at = text.find(key);
  if (at == std::string::npos) return numbers;
  at += key.size();
  int depth = 0;
  for (; at < text.size(); ++at) {
    const char c = text[at];
    if (c == '[') ++depth;
    if (c == ']' && --depth == 0) break;
    if ((c >= '0' && c <= '9') || c == '-') {
      char* end = nullptr;
      numbers.push_back(std::strtod(text.c_str() + at, &end));
      at = static_cast<std::size_t>(end - text.c_str()) - 1;
    }
  }
  return numbers;
}

TEST(MatchCommandTest, WritesTwoCoordinateFilesOfCorrespondingPoints) {
  MatchFiles files;
  const auto run = RunVeskCli(files.Args({"--decimal-separator", ","}));
  ASSERT_EQ(run.Status, 0) << run.Err;
  const std::vector<VT_Point> points1 = ReadPoints(files.Points1, ',');
  const std::vector<VT_Point> points2 = ReadPoints(files.Points2, ',');
  ASSERT_EQ(points1.size(), 30u);
  ASSERT_EQ(points2.size(), 30u);
  for (std::size_t i = 0; i < points1.size(); ++i) {
    const test::Point2 expected = test::Map(files.Truth, points1[i].X, points1[i].Y);
    EXPECT_NEAR(points2[i].X, expected.X, 1.0) << "pair " << i;
    EXPECT_NEAR(points2[i].Y, expected.Y, 1.0) << "pair " << i;
  }
  // The written form: "x ; y" with the chosen separator and CR LF.
  const std::string text = files.Dir.Read("first.crd");
  EXPECT_NE(text.find(" ; "), std::string::npos);
  EXPECT_NE(text.find("\r\n"), std::string::npos);
  EXPECT_EQ(text.find('.'), std::string::npos);

  std::istringstream out(run.Out);
  std::string pairs, inliers, rms;
  std::getline(out, pairs);
  std::getline(out, inliers);
  std::getline(out, rms);
  EXPECT_EQ(pairs, "pairs: 30");
  EXPECT_EQ(inliers.rfind("inliers: ", 0), 0u) << inliers;
  EXPECT_GE(std::atoi(inliers.c_str() + 9), 30) << inliers;
  ASSERT_EQ(rms.rfind("rms: ", 0), 0u) << rms;
  EXPECT_LT(std::atof(rms.c_str() + 5), 3.0) << rms;
}

TEST(MatchCommandTest, JsonCarriesTheCountsAndTheWrittenPoints) {
  MatchFiles files;
  const auto run = RunVeskCli(files.Args({"--json", "--count", "8", "--threshold", "2", "--decimal-separator", "."}));
  ASSERT_EQ(run.Status, 0) << run.Err;
  EXPECT_EQ(run.Out.rfind("{\"pairs\": 8, \"inliers\": ", 0), 0u) << run.Out;
  const std::vector<double> rms = NumbersAfter(run.Out, "\"rms\": ");
  ASSERT_FALSE(rms.empty());
  EXPECT_LT(rms[0], 2.0);
  const std::vector<double> json1 = NumbersAfter(run.Out, "\"points1\": ");
  const std::vector<double> json2 = NumbersAfter(run.Out, "\"points2\": ");
  const std::vector<VT_Point> file1 = ReadPoints(files.Points1, '.');
  const std::vector<VT_Point> file2 = ReadPoints(files.Points2, '.');
  ASSERT_EQ(json1.size(), 16u);
  ASSERT_EQ(json2.size(), 16u);
  ASSERT_EQ(file1.size(), 8u);
  ASSERT_EQ(file2.size(), 8u);
  for (std::size_t i = 0; i < 8; ++i) {
    EXPECT_NEAR(json1[2 * i], file1[i].X, 1e-9);
    EXPECT_NEAR(json1[2 * i + 1], file1[i].Y, 1e-9);
    EXPECT_NEAR(json2[2 * i], file2[i].X, 1e-9);
    EXPECT_NEAR(json2[2 * i + 1], file2[i].Y, 1e-9);
  }
}

// A BMP header that declares far more pixels than a photograph may have.
std::string OversizedBmp() {
  std::string bytes(54, '\0');
  const auto put = [&bytes](std::size_t at, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) bytes[at + static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i));
  };
  bytes[0] = 'B';
  bytes[1] = 'M';
  put(2, 54, 4);
  put(10, 54, 4);
  put(14, 40, 4);
  put(18, 60000, 4);  // width
  put(22, 60000, 4);  // height
  put(26, 1, 2);
  put(28, 24, 2);
  return bytes;
}

// Every refusal and every failed search exits with its status, says why and
// writes nothing: the first output does not appear, an existing second one
// keeps its contents.
TEST(MatchCommandTest, RefusalsAndFailedSearchesWriteNothing) {
  MatchFiles files;
  const std::string uniform = files.Dir.File("uniform.bmp");
  const std::string tiny = files.Dir.File("tiny.bmp");
  ASSERT_TRUE(qt::SaveImage(RgbImage(200, 150, Rgb{120, 120, 120}), uniform));
  ASSERT_TRUE(qt::SaveImage(RgbImage(1, 1, Rgb{1, 2, 3}), tiny));
  const std::string notImage = files.Dir.Write("notes.bmp", "these are notes\n");
  const std::string oversized = files.Dir.Write("huge.bmp", OversizedBmp());
  const std::string folder = files.Dir.File("folder");
  std::filesystem::create_directory(folder);
  const std::string chessboard = Example("chessboard/left01.bmp");

  struct Case {
    const char* Name;
    std::vector<std::string> Args;
    int Status;
    std::string Message;
  };
  const auto with = [&files](const std::string& option, const std::string& value) {
    std::vector<std::string> args = files.Args();
    for (std::size_t i = 0; i + 1 < args.size(); ++i)
      if (args[i] == option) args[i + 1] = value;
    return args;
  };
  const std::vector<Case> cases = {
      {"unrelated photographs", with("--photo2", chessboard), 1, "no reference points found"},
      {"the same photograph twice", with("--photo2", files.Photo1), 1, "same picture"},
      {"a uniform photograph", with("--photo2", uniform), 1, "no detail"},
      {"a 1 x 1 photograph", with("--photo1", tiny), 1, "smaller than"},
      {"a missing photograph", with("--photo1", files.Dir.File("missing.bmp")), 1, "не найден"},
      {"no image", with("--photo1", notImage), 1, kPhotographUnreadable},
      {"beyond the size limit", with("--photo2", oversized), 1, kPhotographTooLarge},
      {"output is a folder", with("--points1", folder), 1, "is a folder"},
      {"output is a photograph", with("--points1", files.Photo1), 1, "nothing written"},
      {"both outputs one file", with("--points1", files.Points2), 2, "the same file"},
      {"too few pairs asked", files.Args({"--count", "3"}), 2, "--count"},
      {"too many pairs asked", files.Args({"--count", "10001"}), 2, "--count"},
      {"no threshold", files.Args({"--threshold", "0"}), 2, "--threshold"},
      {"a threshold that is no number", files.Args({"--threshold", "nan"}), 2, "--threshold"},
      {"an unknown option", files.Args({"--ratio", "0.7"}), 2, "--ratio"},
      {"a missing output",
       {"match", "--photo1", files.Photo1, "--photo2", files.Photo2, "--points1", files.Points1},
       2,
       "--points2"},
  };
  const std::string photo1Before = files.Dir.Read("first.bmp");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    files.Dir.Write("second.crd", "1 ; 2\r\n");
    std::filesystem::remove(files.Points1);
    const auto run = RunVeskCli(c.Args);
    EXPECT_EQ(run.Status, c.Status) << run.Err;
    EXPECT_NE(run.Err.find(c.Message), std::string::npos) << run.Err;
    EXPECT_TRUE(run.Out.empty()) << run.Out;
    EXPECT_FALSE(std::filesystem::exists(files.Points1));
    EXPECT_EQ(files.Dir.Read("second.crd"), "1 ; 2\r\n");
    EXPECT_EQ(files.Dir.Read("first.bmp"), photo1Before);
  }
}

TEST(MatchCommandTest, CtrlCStopsWithoutWriting) {
  MatchFiles files;
  std::ostringstream out, err;
  std::atomic<bool> interrupted{true};
  cli::CliEnvironment env{out, err, [](const char*) -> const char* { return nullptr; }, true, &interrupted};
  std::vector<std::string> args = files.Args({"--decimal-separator", "."});
  EXPECT_EQ(cli::RunCli(args, env), 130);
  EXPECT_NE(err.str().find("interrupted"), std::string::npos) << err.str();
  EXPECT_FALSE(std::filesystem::exists(files.Points1));
  EXPECT_FALSE(std::filesystem::exists(files.Points2));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(files.Dir.Path()), {}), 2);
}

}  // namespace
}  // namespace vesk
