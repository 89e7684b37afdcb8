#include "build/ReferencePointBuild.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>

#include "files/CoordinateFile.h"
#include "model/BuildModeTraits.h"
#include "support/TempDir.h"

namespace vesk {
namespace {

std::string Chessboard(const std::string& name) { return (test::ExamplesDir() / "chessboard" / name).string(); }

ReferencePointSetup ChessboardSetup(BuildCommand command, bool interpolation) {
  ReferencePointSetup setup;
  setup.Command = command;
  setup.Interpolation = interpolation;
  setup.Points1Path = Chessboard("left01.crd");
  setup.Points2Path = Chessboard("right01.crd");
  setup.ScenePath = Chessboard("scene.crd");
  setup.Format = NumberFormat::Dot();
  setup.Photo1 = PhotoSize{640, 480};
  setup.Photo2 = PhotoSize{640, 480};
  return setup;
}

// The greatest distance between a point carried through `map` and where the
// engine expects it.
double WorstMiss(const JobTransform& map, const VT_Points& from, const VT_Points& to) {
  double worst = 0;
  for (int i = 0; i < from.Count(); ++i) {
    const double x = from.Get(i)->X, y = from.Get(i)->Y;
    const double d = map.C0() * x + map.C1() * y + 1;
    const double X = (map.A0() * x + map.A1() * y + map.A2()) / d;
    const double Y = (map.B0() * x + map.B1() * y + map.B2()) / d;
    worst = std::max(worst, std::hypot(X - to.Get(i)->X, Y - to.Get(i)->Y));
  }
  return worst;
}

// Every command, with and without interpolation, hands the job maps that
// carry the reference points from the grid the job walks to where it reads
// or writes: the other photograph, or the scene plane for the plan modes;
// the build area's scene points to the photograph the command names.
TEST(ReferencePointBuildTest, EveryCommandPutsTheChessboardInRegister) {
  for (const BuildCommandInfo& info : BuildCommands()) {
    for (const bool interpolation : {false, true}) {
      ReferencePointBuild build(ChessboardSetup(info.Command, interpolation));
      ASSERT_FALSE(build.Begin()) << info.Name;
      BuildAreaFields area{-60, 300, -210, 60, 0.5, false, false};
      if (build.NeedsBuildArea()) {
        ASSERT_FALSE(build.AcceptBuildArea(area)) << info.Name;
      }
      ASSERT_FALSE(build.Fit()) << info.Name;
      RenderRequest request;
      ASSERT_FALSE(build.MakeRequest(area, request)) << info.Name;

      const BuildModeTraits& traits = TraitsOf(build.Mode());
      const VT_Points& first = build.Points1();
      const VT_Points& second = build.Points2();
      const VT_Points& scene = build.ScenePoints();
      const VT_Points* from = &scene;
      const VT_Points* to = info.Command == BuildCommand::SecondToPlan ? &second : &first;
      if (traits.Walked != Grid::BuildArea) {
        from = traits.Walked == Grid::FirstPhoto ? &first : &second;
        to = traits.ScenePlane ? &scene : (traits.Walked == Grid::FirstPhoto ? &second : &first);
      }
      const std::string what = std::string(info.Name) + (interpolation ? " with" : " without");
      // Half a pixel in the photographs; the board's squares are 30 mm.
      EXPECT_LT(WorstMiss(request.Transform1, *from, *to), to == &scene ? 1.0 : 0.6) << what;
      // The scene anaglyphs read the second photograph through the scene plane.
      if (traits.Plan.Second) {
        EXPECT_LT(WorstMiss(request.Transform2, scene, second), 0.6) << what;
      }
    }
  }
}

TEST(ReferencePointBuildTest, CancelledDialogEndsTheBuildAndClearsTheFlag) {
  ReferencePointBuild build(ChessboardSetup(BuildCommand::AnaglyphOnScene, true));
  ASSERT_FALSE(build.Begin());
  ASSERT_TRUE(build.NeedsBuildArea());
  BuildAreaFields area{-100, 600, -100, 500, 1, false, true};
  const std::optional<BuildFailure> failure = build.AcceptBuildArea(area);
  ASSERT_TRUE(failure.has_value());
  EXPECT_EQ(failure->How, BuildFailure::Kind::Cancelled);
  EXPECT_FALSE(area.AreaCancelled);
  EXPECT_EQ(build.Primary().Count(), 0);

  // Without interpolation the same command builds mode 6 and asks nothing.
  ReferencePointBuild plain(ChessboardSetup(BuildCommand::AnaglyphOnScene, false));
  EXPECT_EQ(plain.Mode(), BuildMode::AnaglyphOnScene);
  EXPECT_FALSE(plain.NeedsBuildArea());
}

TEST(ReferencePointBuildTest, AutomaticStepComesFromTheReferencePoints) {
  ReferencePointBuild build(ChessboardSetup(BuildCommand::FirstToPlan, true));
  ASSERT_FALSE(build.Begin());
  BuildAreaFields area{-100, 600, -100, 500, 1, true, false};
  ASSERT_FALSE(build.AcceptBuildArea(area));
  EXPECT_GT(area.Step, 0.5);  // the board's 30 mm squares are about 30 to 35 pixels wide
  EXPECT_LT(area.Step, 1.1);
  EXPECT_EQ(area.XMin, -100);
}

TEST(ReferencePointBuildTest, FailuresAreValuesToShow) {
  test::TempDir dir;
  const std::string bad = dir.Write("bad.crd", "1;2\r\n3;x\r\n");
  const std::string collinear = dir.Write("line.crd", "0;0\r\n10;10\r\n20;20\r\n30;30\r\n40;40\r\n");
  const std::string empty = dir.Write("empty.crd", "");
  const std::string tooFew = dir.Write("few.crd", "1;1\r\n2;5\r\n");

  {  // the scene file missing for a scene build, before any file is read
    ReferencePointSetup setup = ChessboardSetup(BuildCommand::AnaglyphOnScene, true);
    setup.ScenePath.clear();
    setup.Points1Path = dir.File("never-read.crd");
    ReferencePointBuild build(setup);
    const auto failure = build.Begin();
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->How, BuildFailure::Kind::Message);
    EXPECT_EQ(failure->Message.Caption, "Ошибка!");
    EXPECT_EQ(failure->Message.Text, "Укажите файл координат точек сцены!");
  }
  {  // an unreadable point file: the reader's message, with its file and line
    ReferencePointSetup setup = ChessboardSetup(BuildCommand::AnaglyphOnFirst, true);
    setup.Points2Path = bad;
    ReferencePointBuild build(setup);
    const auto failure = build.Begin();
    ASSERT_TRUE(failure && failure->Read);
    EXPECT_EQ(failure->Message.Text, "Ошибка чтения файла сцены!");
    EXPECT_EQ(failure->Read->File, bad);
    EXPECT_EQ(failure->Read->Line, 2);
    EXPECT_EQ(build.Points1().Count(), 54);  // what was read stays
  }
  {  // empty lists: the list's index error in the standard error box
    ReferencePointSetup setup = ChessboardSetup(BuildCommand::AnaglyphOnFirst, true);
    setup.Points1Path = empty;
    setup.Points2Path = empty;
    ReferencePointBuild build(setup);
    const auto failure = build.Begin();
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->How, BuildFailure::Kind::StandardError);
    EXPECT_EQ(failure->Message.Text, "Index out of bounds ListOfT::Get");
  }
  {  // a fit that fails: the job could not be made, said as the index error
    ReferencePointSetup setup = ChessboardSetup(BuildCommand::AnaglyphOnFirst, true);
    setup.Points1Path = collinear;
    setup.Points2Path = collinear;
    ReferencePointBuild build(setup);
    ASSERT_FALSE(build.Begin());
    EXPECT_EQ(build.Method(), EstimationMethod::Statistics);
    const auto failure = build.Fit();
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->How, BuildFailure::Kind::StandardError);
    EXPECT_EQ(failure->Message.Text, "Index out of bounds ListOfT::Get");
    EXPECT_NE(failure->Detail.find("the primary transformation (photo 1 -> photo 2) was not fitted by the "
                                   "statistical method"),
              std::string::npos)
        << failure->Detail;
  }
  {  // no usable automatic step
    ReferencePointSetup setup = ChessboardSetup(BuildCommand::FirstToPlan, true);
    setup.ScenePath = tooFew;
    setup.Points1Path = tooFew;
    setup.Points2Path = tooFew;
    ReferencePointBuild build(setup);
    ASSERT_FALSE(build.Begin());
    BuildAreaFields area{0, 10, 0, 10, 1, true, false};
    const auto failure = build.AcceptBuildArea(area);
    ASSERT_FALSE(failure.has_value());  // two distinct points give a step
    ReferencePointSetup same = setup;
    same.ScenePath = same.Points1Path = same.Points2Path = dir.Write("one.crd", "5;5\r\n");
    ReferencePointBuild single(same);
    ASSERT_FALSE(single.Begin());
    const auto noStep = single.AcceptBuildArea(area);
    ASSERT_TRUE(noStep);
    EXPECT_EQ(noStep->Message.Text, "Невозможно вычислить масштаб построения по реперным точкам!");
  }
}

// Line n of each point file is one point: files of different lengths are
// refused before anything is fitted, on either reading, naming every file
// the build uses with its count.
TEST(ReferencePointBuildTest, PointFilesOfDifferentLengthsAreRefused) {
  test::TempDir dir;
  std::string fivePoints;
  for (int i = 0; i < 5; ++i) fivePoints += std::to_string(10 * i) + ";" + std::to_string(i * i) + "\r\n";
  const std::string five = dir.Write("five.crd", fivePoints);
  const std::string left = Chessboard("left01.crd"), right = Chessboard("right01.crd");
  const std::string scene = Chessboard("scene.crd");
  struct Case {
    BuildCommand command;
    std::string points1, points2, scene;
    std::string listed;  // the lines under the message
  } cases[] = {
      {BuildCommand::AnaglyphOnFirst, left, five, scene, left + ": 54\n" + five + ": 5"},
      {BuildCommand::AnaglyphOnFirst, five, right, scene, five + ": 5\n" + right + ": 54"},
      // The scene counts only where the build uses it.
      {BuildCommand::AnaglyphOnScene, left, right, five, left + ": 54\n" + right + ": 54\n" + five + ": 5"},
  };
  for (const Case& c : cases) {
    ReferencePointSetup setup = ChessboardSetup(c.command, true);
    setup.Points1Path = c.points1;
    setup.Points2Path = c.points2;
    setup.ScenePath = c.scene;
    ReferencePointBuild build(setup);
    const auto failure = build.Begin();
    ASSERT_TRUE(failure) << c.listed;
    EXPECT_EQ(failure->How, BuildFailure::Kind::Message);
    EXPECT_EQ(failure->Message.Caption, "Ошибка!");
    EXPECT_EQ(failure->Message.Text, "Число точек в файлах координат не совпадает!\n" + c.listed);
    EXPECT_NE(failure->Detail.find("different numbers of points"), std::string::npos) << failure->Detail;
  }
  {  // an unused scene file of another length does not matter
    ReferencePointSetup setup = ChessboardSetup(BuildCommand::AnaglyphOnFirst, true);
    setup.ScenePath = five;
    ReferencePointBuild build(setup);
    EXPECT_FALSE(build.Begin());
  }
  {  // a file shortened while the build-area dialog is open is refused by the second reading
    std::ifstream original(left, std::ios::binary);
    const std::string copy = dir.Write("left.crd", std::string(std::istreambuf_iterator<char>(original), {}));
    ReferencePointSetup setup = ChessboardSetup(BuildCommand::AnaglyphOnScene, true);
    setup.Points1Path = copy;
    ReferencePointBuild build(setup);
    ASSERT_FALSE(build.Begin());
    dir.Write("left.crd", fivePoints);
    const auto failure = build.Fit();
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->Message.Text.rfind("Число точек в файлах координат не совпадает!", 0), 0u);
    EXPECT_TRUE(build.Outcome().Fits.empty()) << "nothing was fitted";
  }
}

TEST(ReferencePointBuildTest, TheSecondReadTakesUpChangesAndCancellingStopsTheFit) {
  test::TempDir dir;
  const std::string first = dir.Write("first.crd", "");
  ReferencePointSetup setup = ChessboardSetup(BuildCommand::AnaglyphOnFirst, true);
  VT_Points board(kOwnsItems);
  ASSERT_FALSE(ReadPointFile(Chessboard("left01.crd"), board, NumberFormat::Dot()));
  ASSERT_TRUE(WritePointFile(first, board, NumberFormat::Dot()));
  setup.Points1Path = first;
  setup.Points2Path = first;
  ReferencePointBuild build(setup);
  ASSERT_FALSE(build.Begin());
  // The user edits the file while the dialog would be open: the fit reads it anew.
  VT_Points fewer(kOwnsItems);
  for (int i = 0; i < 20; ++i) fewer.Add(new VT_Point(*board.Get(i)));
  ASSERT_TRUE(WritePointFile(first, fewer, NumberFormat::Dot()));
  CancelToken cancel;
  cancel.Request();
  const auto failure = build.Fit(nullptr, &cancel);
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->How, BuildFailure::Kind::Cancelled);
  EXPECT_EQ(build.Points1().Count(), 20);
}

}  // namespace
}  // namespace vesk
