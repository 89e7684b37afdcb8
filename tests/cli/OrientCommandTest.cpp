#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "cli/CliTestSupport.h"
#include "files/CoordinateFile.h"
#include "files/OrientationFiles.h"
#include "support/RecordingDialogs.h"
#include "support/TempDir.h"

namespace vesk {
namespace {

using test::RunVeskCli;

std::string Chessboard(const std::string& name) { return (test::ExamplesDir() / "chessboard" / name).string(); }

std::vector<std::string> OrientArgs(const std::string& mode, const std::string& ort1 = Chessboard("left01.ort")) {
  return {"orient",
          "--mode",
          mode,
          "--cam1",
          Chessboard("left01.cam"),
          "--ort1",
          ort1,
          "--cam2",
          Chessboard("right01.cam"),
          "--ort2",
          Chessboard("right01.ort"),
          "--decimal-separator",
          "."};
}

// The numbers of a JSON array that follows `key`.
std::vector<double> JsonArray(const std::string& json, const std::string& key) {
  const std::size_t open = json.find('[', json.find("\"" + key + "\""));
  const std::size_t close = json.find(']', open);
  std::string body = json.substr(open + 1, close - open - 1);
  for (char& c : body)
    if (c == ',') c = ' ';
  std::istringstream in(body);
  std::vector<double> values;
  for (double value; in >> value;) values.push_back(value);
  return values;
}

VT_Points ReadPoints(const std::string& path) {
  test::RecordingDialogs dialogs;
  VT_Points points(kOwnsItems);
  EXPECT_TRUE(test::Shown(ReadPointFile(path, points, NumberFormat::Dot()), dialogs));
  return points;
}

TEST(OrientCommandTest, SceneCornersLandOnThePhotographsCorners) {
  test::RecordingDialogs dialogs;
  CameraGeometry left;
  ASSERT_TRUE(test::Shown(ReadCameraFile(Chessboard("left01.cam"), left, NumberFormat::Dot()), dialogs));
  const VT_Points scene = ReadPoints(Chessboard("scene.crd"));
  const VT_Points corners = ReadPoints(Chessboard("left01.crd"));
  ASSERT_EQ(scene.Count(), corners.Count());

  for (const std::string convention : {"mathematical", "photogrammetric", "laboratory"}) {
    auto args = OrientArgs("9");
    args.insert(args.end(), {"--convention", convention, "--json"});
    const auto run = RunVeskCli(args);
    ASSERT_EQ(run.Status, 0) << run.Err;
    const std::vector<double> t = JsonArray(run.Out, "list1");
    ASSERT_EQ(t.size(), 8u);
    EXPECT_TRUE(JsonArray(run.Out, "list2").empty());
    EXPECT_EQ(JsonArray(run.Out, "correction_values"), (std::vector<double>{1, 1}));
    const double k = 1;
    for (int i = 0; i < scene.Count(); ++i) {
      const double sx = scene.Get(i)->X, sy = scene.Get(i)->Y;
      const double d = t[3] * sx + t[4] * sy + 1;
      const double x = (t[0] * sx + t[1] * sy + t[2]) / d;
      const double y = (t[5] * sx + t[6] * sy + t[7]) / d;
      const double column = x + left.CentreX;
      const double row = left.CentreY - y * k;
      EXPECT_LT(std::hypot(column - corners.Get(i)->X, row - corners.Get(i)->Y), 0.5) << convention << " " << i;
    }
  }
}

TEST(OrientCommandTest, JsonFieldsForASceneAnaglyph) {
  auto args = OrientArgs("11");
  args.push_back("--json");
  const auto run = RunVeskCli(args);
  ASSERT_EQ(run.Status, 0) << run.Err;
  EXPECT_EQ(run.Out.rfind("{\"list1\": [", 0), 0u);
  EXPECT_EQ(JsonArray(run.Out, "list2").size(), 8u);
  const std::size_t step = run.Out.find("\"automatic_step\": ");
  ASSERT_NE(step, std::string::npos);
  const double expected = (473.18979124377 / 532.929537681086 + 446.390682720923 / 537.060649642106) * 0.5;
  EXPECT_NEAR(std::stod(run.Out.substr(step + 18)), expected, 1e-15);
  EXPECT_EQ(run.Out.back(), '\n');

  const auto plain = RunVeskCli(OrientArgs("11"));
  ASSERT_EQ(plain.Status, 0);
  EXPECT_NE(plain.Out.find("list 1: "), std::string::npos);
  EXPECT_NE(plain.Out.find("list 2: "), std::string::npos);
  EXPECT_NE(plain.Out.find("correction values: 1 1\n"), std::string::npos);
}

TEST(OrientCommandTest, FailuresExitWithOneAndTheSystemsMessage) {
  test::TempDir dir;
  std::vector<std::string> values(ShootingGeometry::kValueCount, "0");
  values[8] = "";
  ASSERT_TRUE(WriteShootingGeometryFile(dir.File("empty9.ort"), values));
  values[8] = "0";
  ASSERT_TRUE(WriteShootingGeometryFile(dir.File("flat.ort"), values));  // D = 0 on the sighting point: p34 = 0

  const auto unreadable = RunVeskCli(OrientArgs("9", dir.File("empty9.ort")));
  EXPECT_EQ(unreadable.Status, 1);
  EXPECT_EQ(unreadable.Err,
            "vesk-cli orient: " + dir.File("empty9.ort") + ":9: Ошибка чтения файла геометрии съемки!\n");

  const auto missing = RunVeskCli(OrientArgs("9", dir.File("none.ort")));
  EXPECT_EQ(missing.Status, 1);
  EXPECT_NE(missing.Err.find("Файл " + dir.File("none.ort") + " не найден!"), std::string::npos);

  const auto failed = RunVeskCli(OrientArgs("9", dir.File("flat.ort")));
  EXPECT_EQ(failed.Status, 1);
  EXPECT_EQ(failed.Err, "vesk-cli orient: Внутренняя ошибка! Проверьте входные данные.\n");
  EXPECT_TRUE(failed.Out.empty());
}

TEST(OrientCommandTest, UsageErrorsExitWithTwo) {
  auto badConvention = OrientArgs("9");
  badConvention.insert(badConvention.end(), {"--convention", "polar"});
  auto noCamera = OrientArgs("9");
  noCamera.erase(noCamera.begin() + 3, noCamera.begin() + 5);
  const std::vector<std::vector<std::string>> usages = {
      OrientArgs("12"), OrientArgs("-1"), OrientArgs("x"), badConvention, noCamera, {"orient"},
  };
  for (const auto& args : usages) {
    const auto run = RunVeskCli(args);
    EXPECT_EQ(run.Status, 2) << run.Err;
  }
  const auto help = RunVeskCli({"orient", "--help"});
  EXPECT_EQ(help.Status, 0);
  EXPECT_NE(help.Out.find("Usage: vesk-cli orient --mode N"), std::string::npos);
}

TEST(CheckOrientationFilesTest, CalibrationShootingGeometryAndProjectFiles) {
  const auto run = RunVeskCli({"check", "--decimal-separator", ".", Chessboard("left01.cam"), Chessboard("right01.ort"),
                               Chessboard("chessboard_orientation.prt")});
  EXPECT_EQ(run.Status, 0) << run.Err;
  EXPECT_NE(run.Out.find("left01.cam: centre 342.304923926585 233.813650403831, focal length 532.929537681086, "
                         "image 640 x 480, correction table of 1 line, correction value 1\n"),
            std::string::npos)
      << run.Out;
  EXPECT_NE(run.Out.find("right01.ort: sighting point 193.604479005577 -126.560821726702, distance 446.390682720923"),
            std::string::npos);
  EXPECT_NE(run.Out.find("chessboard_orientation.prt: 6 paths, every file present"), std::string::npos);

  test::TempDir dir;
  const std::string project = dir.Write("set.prt", "[Images]\r\nImage1=a.bmp\r\nImage2=b.bmp\r\n");
  dir.Write("a.bmp", "");
  const std::string camera = dir.Write("c.cam", "1;\r\n2;\r\nnone.txt;\r\n");
  const auto bad = RunVeskCli({"check", "--decimal-separator", ".", "--json", project, camera});
  EXPECT_EQ(bad.Status, 1);
  EXPECT_NE(bad.Out.find("\"kind\": \"project\", \"ok\": false, \"error\": \"Файл " + dir.File("b.bmp") +
                         " не найден!\", \"line\": 3}"),
            std::string::npos)
      << bad.Out;
  EXPECT_NE(bad.Out.find("\"kind\": \"calibration\", \"ok\": false, \"error\": \"Ошибка чтения cam-файла!\", "
                         "\"line\": 3}"),
            std::string::npos)
      << bad.Out;
}

}  // namespace
}  // namespace vesk
