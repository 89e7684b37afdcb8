#include "build/OrientationBuild.h"

#include <gtest/gtest.h>

#include "support/TempDir.h"

namespace vesk {
namespace {

std::string Chessboard(const std::string& name) { return (test::ExamplesDir() / "chessboard" / name).string(); }

OrientationSetup ChessboardSetup(BuildCommand command, bool interpolation) {
  OrientationSetup setup;
  setup.Command = command;
  setup.Interpolation = interpolation;
  setup.Paths = {Chessboard("left01.cam"), Chessboard("left01.ort"), Chessboard("right01.cam"),
                 Chessboard("right01.ort")};
  setup.Format = NumberFormat::Dot();
  return setup;
}

TEST(OrientationBuildTest, SceneAnaglyphWithTheDialogAndTheAutomaticStep) {
  OrientationBuild build(ChessboardSetup(BuildCommand::AnaglyphOnScene, true));
  EXPECT_EQ(build.Mode(), BuildMode::AnaglyphOnSceneInterpolated);
  ASSERT_TRUE(build.NeedsBuildArea());
  BuildAreaFields area{-60, 300, -210, 60, 1, true, false};
  ASSERT_FALSE(build.AcceptBuildArea(area));
  ASSERT_FALSE(build.ReadFiles());
  RenderRequest request;
  ASSERT_FALSE(build.MakeRequest(area, request));
  // The mean D / f of both photographs, written back as the workspace's step.
  const double expected = (build.Inputs().Shooting1.SightingDistance / build.Inputs().Camera1.FocalLength +
                           build.Inputs().Shooting2.SightingDistance / build.Inputs().Camera2.FocalLength) *
                          0.5;
  EXPECT_DOUBLE_EQ(area.Step, expected);
  EXPECT_EQ(request.Area.Step, area.Step);
  EXPECT_EQ(request.Mode, BuildMode::AnaglyphOnSceneInterpolated);
  EXPECT_EQ(request.From, Origin::FromOrientation);
  EXPECT_EQ(request.Plane1.CentreX, build.Inputs().Camera1.CentreX);
  EXPECT_EQ(request.Plane2.CorrectionValue, 1);
}

TEST(OrientationBuildTest, CancelledDialogBuildsNothingAndTheNextCommandAsksAgain) {
  BuildAreaFields area{-100, 600, -100, 500, 1, false, true};
  OrientationBuild build(ChessboardSetup(BuildCommand::FirstToPlan, true));
  const auto failure = build.AcceptBuildArea(area);
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->How, BuildFailure::Kind::Cancelled);
  EXPECT_FALSE(area.AreaCancelled);
  OrientationBuild next(ChessboardSetup(BuildCommand::FirstToPlan, true));
  EXPECT_TRUE(next.NeedsBuildArea());
  EXPECT_FALSE(next.AcceptBuildArea(area));
  // Without interpolation "Первое к плану" is mode 4, without the dialog.
  EXPECT_FALSE(OrientationBuild(ChessboardSetup(BuildCommand::FirstToPlan, false)).NeedsBuildArea());
}

TEST(OrientationBuildTest, FilesAreReadInOrderAndTheFirstFailureStops) {
  test::TempDir dir;
  OrientationSetup setup = ChessboardSetup(BuildCommand::AnaglyphOnFirst, true);
  setup.Paths.Orientation1 = dir.File("none.ort");
  setup.Paths.Camera2 = dir.File("none.cam");  // read before the first shooting geometry
  OrientationBuild build(setup);
  const auto failure = build.ReadFiles();
  ASSERT_TRUE(failure && failure->Read);
  EXPECT_EQ(failure->Read->File, setup.Paths.Camera2);
  EXPECT_EQ(failure->Message.Caption, "Ошибка!");
  EXPECT_EQ(failure->Message.Text, "Файл " + setup.Paths.Camera2 + " не найден!");
}

TEST(OrientationBuildTest, ComputationFaultsAreTheInternalErrorMessage) {
  test::TempDir dir;
  dir.Write("bad-table.txt", "not a number\r\n");
  // A calibration file whose correction table's first line is no number.
  const std::string cam = dir.Write(
      "c.cam", "320 ; x\r\n240 ; y\r\nbad-table.txt ; t\r\n532 ; f\r\n640 ; w\r\n480 ; h\r\n320 ; px\r\n240 ; py\r\n");
  OrientationSetup setup = ChessboardSetup(BuildCommand::AnaglyphOnFirst, true);
  setup.Paths.Camera1 = cam;
  OrientationBuild build(setup);
  ASSERT_FALSE(build.ReadFiles());
  BuildAreaFields area;
  RenderRequest request;
  const auto failure = build.MakeRequest(area, request);
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->How, BuildFailure::Kind::Message);
  EXPECT_EQ(failure->Message.Icon, MessageIcon::Warning);
  EXPECT_EQ(failure->Message.Caption, "Отказ");
  EXPECT_EQ(failure->Message.Text, "Внутренняя ошибка! Проверьте входные данные.");

  // A scene walk without a usable step: refused the same way.
  OrientationBuild plan(ChessboardSetup(BuildCommand::SecondToPlan, true));
  ASSERT_FALSE(plan.ReadFiles());
  BuildAreaFields noStep{0, 10, 0, 10, 0, false, false};
  EXPECT_TRUE(plan.MakeRequest(noStep, request));
}

}  // namespace
}  // namespace vesk
