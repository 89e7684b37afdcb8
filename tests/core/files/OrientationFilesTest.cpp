#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "files/OrientationFiles.h"
#include "support/RecordingDialogs.h"
#include "support/TempDir.h"

namespace vesk {
namespace {

const NumberFormat kDot = NumberFormat::Dot();

// A calibration file as the editor writes it, for the given value texts.
std::string CameraText(const std::vector<std::string>& values) {
  std::string text;
  for (const std::string& line : CameraFileLines(values)) text += line + "\r\n";
  return text;
}

const std::vector<std::string> kCameraValues = {"342.5", "233.25", "corr.txt", "532.9", "640", "480", "342", "233"};

std::vector<std::string> CameraValuesWith(std::size_t index, const std::string& value) {
  auto values = kCameraValues;
  values[index] = value;
  return values;
}

struct CameraCase {
  const char* name;
  std::string bytes;
  int failedLine;      // 0 when the read succeeds
  double focalLength;  // expected when it succeeds
};

class CameraReadTest : public ::testing::TestWithParam<CameraCase> {};

TEST_P(CameraReadTest, ReadsOrNamesTheLine) {
  const CameraCase& c = GetParam();
  test::TempDir dir;
  dir.Write("corr.txt", "1.25\r\n7\r\n");
  const std::string path = dir.Write("cam.cam", c.bytes);
  CameraGeometry camera;
  camera.FocalLength = 5;
  test::RecordingDialogs dialogs;
  ReadFailure failure;
  const bool ok = test::Shown(ReadCameraFile(path, camera, kDot), dialogs, &failure);
  EXPECT_EQ(ok, c.failedLine == 0);
  if (ok) {
    EXPECT_TRUE(dialogs.Entries.empty());
    EXPECT_EQ(camera.CentreX, 342.5);
    EXPECT_EQ(camera.CentreY, 233.25);
    EXPECT_EQ(camera.FocalLength, c.focalLength);
    EXPECT_EQ(camera.CorrectionTable, (std::vector<std::string>{"1.25", "7"}));
    EXPECT_EQ(camera.ImageWidth, 640);
    EXPECT_EQ(camera.ImageHeight, 480);
  } else {
    ASSERT_EQ(dialogs.Entries.size(), 1u);
    EXPECT_EQ(dialogs.Entries[0].Caption, "Ошибка!");
    EXPECT_EQ(dialogs.Entries[0].Text, "Ошибка чтения cam-файла!");
    EXPECT_EQ(failure.Line, c.failedLine);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CameraReadTest,
    ::testing::Values(
        CameraCase{"WrittenByTheEditor", CameraText(kCameraValues), 0, 532.9},
        CameraCase{"EmptyFocalLengthCell", CameraText(CameraValuesWith(3, "")), 0, -1},
        CameraCase{"EmptyFocalLengthValue", "342.5;\r\n233.25;\r\ncorr.txt;\r\n;f\r\n640;\r\n480;\r\n", 0, -1},
        CameraCase{"FocalLengthLineWithoutSemicolon", "342.5;\r\n233.25;\r\ncorr.txt;\r\n532.9\r\n640;\r\n480;\r\n", 0,
                   -1},
        CameraCase{"TwoBlanksAreNoFocalLength", CameraText(CameraValuesWith(3, "  ")), 4, 0},
        CameraCase{"SixLinesSuffice", "342.5;a\r\n233.25;b\r\ncorr.txt ;c\r\n532.9;d\r\n640;e\r\n480;f", 0, 532.9},
        CameraCase{"FiveLinesDoNot", "342.5;a\r\n233.25;b\r\ncorr.txt ;c\r\n532.9;d\r\n640;e\r\n", 6, 0},
        CameraCase{"EmptyCentre", CameraText(CameraValuesWith(0, "")), 1, 0},
        CameraCase{"CentreWithoutSemicolon", "342.5\r\n233.25;\r\ncorr.txt;\r\n1;\r\n640;\r\n480;\r\n", 1, 0},
        CameraCase{"EmptyWidth", CameraText(CameraValuesWith(4, "")), 5, 0},
        CameraCase{"BadHeight", CameraText(CameraValuesWith(5, "480px")), 6, 0},
        CameraCase{"NoTableName", CameraText(CameraValuesWith(2, "")), 3, 0},
        CameraCase{"MissingTable", CameraText(CameraValuesWith(2, "none.txt")), 3, 0},
        CameraCase{"Cp1251Comments",
                   "342.5 ; \xCA\xEE\r\n233.25 ; \xCA\r\ncorr.txt ; \xD2\r\n532.9 ; "
                   "\xD4\r\n640 ; \xD0\r\n480 ; \xD0\r\n",
                   0, 532.9}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CameraFileTest, FieldsAboveTheFailingLineAreUpdated) {
  test::TempDir dir;
  const std::string path = dir.Write("cam.cam", CameraText(CameraValuesWith(2, "none.txt")));
  CameraGeometry camera;
  camera.FocalLength = 5;
  camera.CorrectionTable = {"9"};
  test::RecordingDialogs dialogs;
  EXPECT_FALSE(test::Shown(ReadCameraFile(path, camera, kDot), dialogs));
  EXPECT_EQ(camera.CentreX, 342.5);
  EXPECT_EQ(camera.CentreY, 233.25);
  EXPECT_EQ(camera.FocalLength, 5);
  EXPECT_EQ(camera.CorrectionTable, (std::vector<std::string>{"9"}));
}

TEST(CameraFileTest, MissingFileLeavesTheRecordAlone) {
  test::TempDir dir;
  const std::string path = dir.File("none.cam");
  CameraGeometry camera;
  camera.CentreX = 7;
  test::RecordingDialogs dialogs;
  ReadFailure failure;
  EXPECT_FALSE(test::Shown(ReadCameraFile(path, camera, kDot), dialogs, &failure));
  EXPECT_EQ(camera.CentreX, 7);
  ASSERT_EQ(dialogs.Entries.size(), 1u);
  EXPECT_EQ(dialogs.Entries[0].Caption, "Ошибка!");
  EXPECT_EQ(dialogs.Entries[0].Text, "Файл " + path + " не найден!");
  EXPECT_EQ(failure.Message.Text, dialogs.Entries[0].Text);
  EXPECT_EQ(failure.Line, 0);
}

TEST(CameraFileTest, CorrectionTablePathRule) {
  struct Case {
    std::string camera, name, table;
  };
  const Case cases[] = {
      {"/data/left.cam", "table.txt", "/data/table.txt"},
      {"left.cam", "table.txt", "table.txt"},
      {"/data/left.cam", "tables/left.txt", "/data/tables/left.txt"},
      {"rel/left.cam", "table.txt", "rel/table.txt"},
      {"/left.cam", "table.txt", "/table.txt"},
      // An absolute name is taken as it stands.
      {"/data/left.cam", "/tables/left.txt", "/tables/left.txt"},
  };
  for (const Case& c : cases) EXPECT_EQ(CorrectionTablePath(c.camera, c.name), c.table) << c.camera << " " << c.name;
}

TEST(CameraFileTest, TablesBelowAndBesideTheCalibrationFile) {
  test::TempDir dir;
  const std::string table = dir.Write("elsewhere/abs.txt", "3\r\n");
  dir.Write("data/tables/left.txt", "2\r\n");
  const std::string relative = dir.Write("data/rel.cam", CameraText(CameraValuesWith(2, "tables/left.txt")));
  const std::string absolute = dir.Write("data/abs.cam", CameraText(CameraValuesWith(2, table)));
  test::RecordingDialogs dialogs;
  CameraGeometry camera;
  ASSERT_TRUE(test::Shown(ReadCameraFile(relative, camera, kDot), dialogs));
  EXPECT_EQ(camera.CorrectionTable, (std::vector<std::string>{"2"}));
  ASSERT_TRUE(test::Shown(ReadCameraFile(absolute, camera, kDot), dialogs));
  EXPECT_EQ(camera.CorrectionTable, (std::vector<std::string>{"3"}));

  // A calibration file named without a folder finds its table in the current folder.
  dir.Write("data/corr.txt", "4\r\n");
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(dir.Path() / "data");
  dir.Write("data/bare.cam", CameraText(kCameraValues));
  const bool bare = test::Shown(ReadCameraFile("bare.cam", camera, kDot), dialogs);
  std::filesystem::current_path(previous);
  ASSERT_TRUE(bare);
  EXPECT_EQ(camera.CorrectionTable, (std::vector<std::string>{"4"}));
}

TEST(CameraFileTest, CommaSeparatorAndShippedFile) {
  test::TempDir dir;
  dir.Write("corr.txt", "1\r\n");
  const std::string path = dir.Write("c.cam", CameraText({"1,5", "2,25", "corr.txt", "3,5", "640", "480", "", ""}));
  test::RecordingDialogs dialogs;
  CameraGeometry camera;
  ASSERT_TRUE(test::Shown(ReadCameraFile(path, camera, NumberFormat::Comma()), dialogs));
  EXPECT_EQ(camera.CentreX, 1.5);
  EXPECT_EQ(camera.FocalLength, 3.5);

  ASSERT_TRUE(
      test::Shown(ReadCameraFile((test::ExamplesDir() / "chessboard" / "left01.cam").string(), camera, kDot), dialogs));
  EXPECT_EQ(camera.FocalLength, 532.929537681086);
  EXPECT_EQ(camera.CorrectionTable, (std::vector<std::string>{"1"}));
}

// A shooting-geometry file as the editor writes it.
std::string ShootingText(const std::vector<std::string>& values) {
  std::string text;
  for (const std::string& line : ShootingGeometryFileLines(values)) text += line + "\r\n";
  return text;
}

std::vector<std::string> ShootingValues() {
  std::vector<std::string> values;
  for (int i = 0; i < ShootingGeometry::kValueCount; ++i) values.push_back(std::to_string(i + 1));
  return values;
}

TEST(ShootingGeometryFileTest, AnglesInRadiansOtherValuesAsWritten) {
  auto values = ShootingValues();
  values[6] = "90";
  values[12] = "90";
  std::istringstream in(ShootingText(values) + "extra line\r\n");
  ShootingGeometry geometry;
  test::RecordingDialogs dialogs;
  ASSERT_TRUE(test::Shown(ReadShootingGeometryFile(in, geometry, kDot), dialogs));
  EXPECT_TRUE(dialogs.Entries.empty());
  EXPECT_EQ(geometry.LongitudinalAngle, 90 * 0.017453292519943295);
  EXPECT_EQ(geometry.axx, 90);
  for (int i = 0; i < ShootingGeometry::kValueCount; ++i) {
    if (i == 6 || i == 12) continue;
    const double written = i + 1;
    const bool angle = i >= 6 && i <= 11;
    EXPECT_EQ(geometry[i], angle ? written * 0.017453292519943295 : written) << i;
  }
  EXPECT_EQ(geometry.SightingDistance, 6);
  EXPECT_EQ(geometry.StandImageRotationAngle, 12 * 0.017453292519943295);
  EXPECT_EQ(geometry.azz, 21);
}

TEST(ShootingGeometryFileTest, RejectedFilesNameTheLineAndKeepWhatWasRead) {
  struct Case {
    const char* name;
    std::string bytes;
    int failedLine;
  };
  auto emptyNinth = ShootingValues();
  emptyNinth[8] = "";
  std::string twentyLines = ShootingText(ShootingValues());
  twentyLines.erase(twentyLines.rfind("21 ; azz"));
  std::string noSemicolon = ShootingText(ShootingValues());
  noSemicolon.replace(noSemicolon.find("3 ; "), 4, "3   ");
  const Case cases[] = {
      {"EmptyValue", ShootingText(emptyNinth), 9},
      {"TwentyLines", twentyLines, 21},
      {"LineWithoutSemicolon", noSemicolon, 3},
      {"EmptyFile", "", 1},
  };
  for (const Case& c : cases) {
    ShootingGeometry geometry;
    geometry.azz = -5;
    test::RecordingDialogs dialogs;
    ReadFailure failure;
    std::istringstream in(c.bytes);
    EXPECT_FALSE(test::Shown(ReadShootingGeometryFile(in, geometry, kDot), dialogs, &failure)) << c.name;
    ASSERT_EQ(dialogs.Entries.size(), 1u) << c.name;
    EXPECT_EQ(dialogs.Entries[0].Caption, "Ошибка!");
    EXPECT_EQ(dialogs.Entries[0].Text, "Ошибка чтения файла геометрии съемки!");
    EXPECT_EQ(failure.Line, c.failedLine) << c.name;
    for (int i = 0; i + 1 < c.failedLine; ++i) EXPECT_NE(geometry[i], 0) << c.name << " " << i;
    EXPECT_EQ(geometry.azz, -5) << c.name;
  }
}

TEST(ShootingGeometryFileTest, MissingFileAndShippedFile) {
  test::TempDir dir;
  ShootingGeometry geometry;
  geometry.axx = 3;
  test::RecordingDialogs dialogs;
  EXPECT_FALSE(test::Shown(ReadShootingGeometryFile(dir.File("none.ort"), geometry, kDot), dialogs));
  EXPECT_EQ(geometry.axx, 3);
  ASSERT_EQ(dialogs.Entries.size(), 1u);
  EXPECT_EQ(dialogs.Entries[0].Text, "Файл " + dir.File("none.ort") + " не найден!");

  ASSERT_TRUE(test::Shown(
      ReadShootingGeometryFile((test::ExamplesDir() / "chessboard" / "left01.ort").string(), geometry, kDot), dialogs));
  EXPECT_EQ(geometry.SightingDistance, 473.18979124377);
  EXPECT_EQ(geometry.LongitudinalAngle, -15.8467626885438 * 0.017453292519943295);
  EXPECT_EQ(geometry.azz, 0.948692634612461);
}

TEST(OrientationFileWriterTest, ExactLayoutsWithCrLf) {
  test::TempDir dir;
  ASSERT_TRUE(WriteCameraFile(dir.File("w.cam"), CameraValuesWith(3, "")));
  EXPECT_EQ(dir.Read("w.cam"),
            "342.5 ; Координата X центра изображения\r\n"
            "233.25 ; Координата Y центра изображения\r\n"
            "corr.txt ; Таблица коррекции\r\n"
            " ; Фокусное расстояние\r\n"
            "640 ; Размер изображения по горизонтали\r\n"
            "480 ; Размер изображения по вертикали\r\n"
            "342 ; Координата X главной точки\r\n"
            "233 ; Координата Y главной точки\r\n");

  ASSERT_TRUE(WriteShootingGeometryFile(dir.File("w.ort"), ShootingValues()));
  const std::string ort = dir.Read("w.ort");
  EXPECT_EQ(ort.substr(0, ort.find("\r\n") + 2), "1 ; Координата X центра проекции в системе координат сцены\r\n");
  EXPECT_NE(ort.find("\r\n6 ; Расстояние от центра проекции до точки визирования\r\n"
                     "7 ; Продольный угол (фотограмм.) (градусы)\r\n"
                     "8 ; Поперечный угол (фотограмм.) (градусы)\r\n"
                     "9 ; Угол поворота изображения (фотограмм.) (градусы)\r\n"
                     "10 ; Угол поворота вокруг вертикальной оси (стенд.) (градусы)\r\n"
                     "11 ; Угол поворота вокруг горизонтальной оси (стенд.) (градусы)\r\n"
                     "12 ; Угол поворота изображения (стенд.) (градусы)\r\n13 ; axx\r\n"),
            std::string::npos);
  EXPECT_TRUE(ort.ends_with("\r\n20 ; azy\r\n21 ; azz\r\n"));

  // What the writer writes, the reader reads.
  dir.Write("corr.txt", "1\r\n");
  test::RecordingDialogs dialogs;
  CameraGeometry camera;
  ASSERT_TRUE(test::Shown(ReadCameraFile(dir.File("w.cam"), camera, kDot), dialogs));
  EXPECT_EQ(camera.FocalLength, -1);
  ShootingGeometry geometry;
  ASSERT_TRUE(test::Shown(ReadShootingGeometryFile(dir.File("w.ort"), geometry, kDot), dialogs));
  EXPECT_EQ(geometry.azz, 21);

  EXPECT_FALSE(WriteCameraFile(dir.File("short.cam"), {"1", "2"}));
  EXPECT_FALSE(std::filesystem::exists(dir.File("short.cam")));
}

}  // namespace
}  // namespace vesk
