// Every build command of the workspace on the shipped example sets, with and
// without interpolation: the viewer's result is byte for byte the file
// vesk-cli render writes for the same project and command, and the residual
// table holds what vesk-cli fit reports for the same inputs.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMenu>
#include <QMenuBar>
#include <algorithm>
#include <set>

#include "build/ReferencePointBuild.h"
#include "cli/CliTestSupport.h"
#include "estimation/BuildFit.h"
#include "gui/refpoints/ResidualTable.h"
#include "gui/refpoints/WorkspaceFixture.h"
#include "model/BuildModeTraits.h"
#include "qt/ImageFiles.h"

namespace vesk {
namespace {

using test::ModalAnswers;

struct ExampleSet {
  const char* folder;
  const char* project;
  bool hasScene;
};

class ExampleBuildsTest : public test::WorkspaceFixture, public testing::WithParamInterface<ExampleSet> {
 public:
  std::string ExampleFile(const char* name) { return (test::ExamplesDir() / GetParam().folder / name).string(); }

  // The viewer a build opened: the one shown that was not there before.
  gui::TForm2* NewViewer() {
    gui::TForm2* found = nullptr;
    for (gui::TForm2* viewer : ShownViewers())
      if (seen_.insert(viewer).second) found = viewer;
    return found;
  }

  // The residual table against vesk-cli fit for the build just made.
  void ExpectResidualsOfVeskCliFit(const ReferencePointBuild& build) {
    std::vector<std::string> args = {"fit",
                                     "--points1",
                                     window->Points1Path(),
                                     "--points2",
                                     window->Points2Path(),
                                     "--mode",
                                     std::to_string(static_cast<int>(build.Mode())),
                                     "--photo1",
                                     window->Photo1Path(),
                                     "--photo2",
                                     window->Photo2Path(),
                                     "--decimal-separator",
                                     ".",
                                     "--json"};
    if (!window->ScenePath().empty()) {
      args.push_back("--scene");
      args.push_back(window->ScenePath());
    }
    const test::CliRun run = test::RunVeskCli(args);
    ASSERT_EQ(run.Status, 0) << run.Err;
    const QJsonObject json = QJsonDocument::fromJson(QByteArray::fromStdString(run.Out)).object();
    const QJsonObject residuals = json["residuals"].toObject();
    gui::ResidualTable& table = window->Residuals();
    int row = 0;
    for (const char* role : {"primary", "second"}) {
      if (residuals[role].isNull()) continue;
      const QJsonObject fit = residuals[role].toObject();
      const QJsonArray points = fit["points"].toArray();
      for (qsizetype i = 0; i < points.size(); ++i, ++row) {
        ASSERT_LT(row, table.RowCount());
        const QJsonArray d = points[i].toArray();
        EXPECT_EQ(table.PointOf(row), i);
        EXPECT_EQ(table.Value(row, gui::ResidualTable::kDxColumn), d[0].toDouble()) << role << " " << i;
        EXPECT_EQ(table.Value(row, gui::ResidualTable::kDyColumn), d[1].toDouble()) << role << " " << i;
      }
      EXPECT_TRUE(table.Summary().contains(QString::number(fit["rms"].toDouble(), 'f', 3)))
          << table.Summary().toStdString();
    }
    EXPECT_EQ(row, table.RowCount());
  }

  std::set<gui::TForm2*> seen_;
};

TEST_P(ExampleBuildsTest, EveryBuildCommandGivesTheBytesVeskCliWrites) {
  const std::string project = ExampleFile(GetParam().project);
  LoadProject(project);
  ASSERT_TRUE(boxes.Boxes.empty()) << boxes.Texts().join("; ").toStdString();
  ASSERT_TRUE(BuildMenuEnabled());
  EXPECT_EQ(window->BuildItem(BuildCommand::AnaglyphOnScene).isEnabled(), GetParam().hasScene);
  {
    ModalAnswers settingsClosed({ModalAnswers::Click("CancelButton")});
    QTest::keyClick(Edit("Edit9"), Qt::Key_J, Qt::ControlModifier);  // the four hidden commands
  }
  for (const bool interpolation : {true, false}) {
    Action(interpolation ? "WithInterpolation" : "WithoutInterpolation")->trigger();
    for (const BuildCommandInfo& info : BuildCommands()) {
      SCOPED_TRACE(std::string(info.Name) + (interpolation ? " with" : " without") + " interpolation");
      const BuildMode mode = ModeFor(info.Command, interpolation);
      test::TempDir out;
      const test::CliRun cli =
          test::RunVeskCli({"render", "--project", project, "--by", "points", "--build", info.Name, "--interpolation",
                            interpolation ? "on" : "off", "--decimal-separator", ".", "-o", out.File("cli.bmp")});
      boxes.Boxes.clear();
      if (PlanNeedsScene(mode) && !GetParam().hasScene) {
        EXPECT_EQ(cli.Status, 1);
        if (info.Command == BuildCommand::AnaglyphOnScene) {
          EXPECT_FALSE(window->BuildItem(info.Command).isEnabled());
          continue;
        }
        window->BuildItem(info.Command).trigger();
        ASSERT_TRUE(WaitForQuiet());
        ASSERT_EQ(boxes.Boxes.size(), 1u);
        EXPECT_EQ(boxes.Boxes[0].Text, "Укажите файл координат точек сцены!");
        EXPECT_EQ(NewViewer(), nullptr);
        continue;
      }
      ASSERT_EQ(cli.Status, 0) << cli.Err;
      ModalAnswers areaAccepted({ModalAnswers::Click("OKButton")});
      Build(info.Command);
      EXPECT_EQ(areaAccepted.Opened(), TraitsOf(mode).BuildArea ? 1 : 0);
      ASSERT_TRUE(WaitForQuiet());
      EXPECT_TRUE(boxes.Boxes.empty()) << boxes.Texts().join("; ").toStdString();
      EXPECT_EQ(window->Mode(), mode);
      gui::TForm2* viewer = NewViewer();
      ASSERT_NE(viewer, nullptr);
      ASSERT_NE(viewer->ResultBitmap(), nullptr);
      EXPECT_EQ(viewer->ResultMode(), mode);
      const std::optional<RgbImage> written = qt::LoadImage(out.File("cli.bmp"));
      ASSERT_TRUE(written.has_value());
      EXPECT_TRUE(*viewer->ResultBitmap() == *written);
      // The viewer saves what vesk-cli wrote, byte for byte.
      ASSERT_TRUE(qt::SaveImage(*viewer->ResultBitmap(), out.File("viewer.bmp")));
      EXPECT_TRUE(out.Read("viewer.bmp") == out.Read("cli.bmp"));
      ASSERT_NE(window->LastBuild(), nullptr);
      if (interpolation) ExpectResidualsOfVeskCliFit(*window->LastBuild());
    }
  }
}

TEST_P(ExampleBuildsTest, TheAnaglyphMenuChoosesTheColoursAsVeskCliDoes) {
  const std::string project = ExampleFile(GetParam().project);
  LoadProject(project);
  ASSERT_TRUE(boxes.Boxes.empty()) << boxes.Texts().join("; ").toStdString();
  const QMenu* menu = window->findChild<QMenu*>("AnaglyphMenu");
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(menu->title(), "Анаглиф");
  const QList<QAction*> menus = window->menuBar()->actions();
  const auto at = std::find(menus.begin(), menus.end(), menu->menuAction());
  ASSERT_NE(at, menus.begin());
  EXPECT_EQ(*(at - 1), window->BuildMenu().menuAction());  // right after "Построить"
  EXPECT_TRUE(Action("Anaglyph_red-green")->isChecked());

  struct Case {
    const char* method;
    bool swap;
  } cases[] = {{"red-cyan-colour", false}, {"red-blue", true}};
  for (const Case& c : cases) {
    Action((std::string("Anaglyph_") + c.method).c_str())->trigger();
    if (Action("SwapEyes")->isChecked() != c.swap) Action("SwapEyes")->trigger();
    SCOPED_TRACE(std::string(c.method) + (c.swap ? " swapped" : ""));
    test::TempDir out;
    std::vector<std::string> args = {
        "render", "--project",           project, "--by", "points",           "--build", "anaglyph-first", "--anaglyph",
        c.method, "--decimal-separator", ".",     "-o",   out.File("cli.bmp")};
    if (c.swap) args.push_back("--swap-eyes");
    const test::CliRun cli = test::RunVeskCli(args);
    ASSERT_EQ(cli.Status, 0) << cli.Err;
    Build(BuildCommand::AnaglyphOnFirst);
    ASSERT_TRUE(WaitForQuiet());
    gui::TForm2* viewer = NewViewer();
    ASSERT_NE(viewer, nullptr);
    ASSERT_NE(viewer->ResultBitmap(), nullptr);
    EXPECT_TRUE(*viewer->ResultBitmap() == *qt::LoadImage(out.File("cli.bmp")));
  }
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleBuildsTest,
                         testing::Values(ExampleSet{"chessboard", "chessboard_points.prt", true},
                                         ExampleSet{"aloe", "aloe_points.prt", false}),
                         [](const testing::TestParamInfo<ExampleSet>& info) { return std::string(info.param.folder); });

}  // namespace
}  // namespace vesk
