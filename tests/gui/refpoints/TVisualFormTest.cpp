#include "gui/refpoints/TVisual_Form.h"

#include <QCheckBox>
#include <QDockWidget>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QProgressBar>
#include <QScrollBar>
#include <QSplitter>
#include <QTableView>
#include <QUrl>
#include <fstream>
#include <random>

#include "build/ReferencePointBuild.h"
#include "estimation/BuildScale.h"
#include "estimation/MethodChoice.h"
#include "files/CoordinateFile.h"
#include "files/ProjectFile.h"
#include "gui/editor/TRedForm.h"
#include "gui/refpoints/DroppedFiles.h"
#include "gui/refpoints/PointFilesHeader.h"
#include "gui/refpoints/ResidualTable.h"
#include "gui/refpoints/WorkspaceFixture.h"
#include "gui/workspace/PhotoView.h"
#include "qt/ImageFiles.h"

namespace vesk {
namespace {

using test::ModalAnswers;

QString Q(const std::string& text) { return QString::fromStdString(text); }

class TVisualFormTest : public test::WorkspaceFixture {
 public:
  // Fills the four fields the build menu needs, with files of the
  // eight-point chessboard set, through the choose buttons.
  void ChooseChessboardFiles(bool withScene) {
    ChessboardSet8();
    files.AnswerMany({Q(dir.File("left01_8.crd"))});
    Button("Button7")->click();
    files.AnswerMany({Q(dir.File("right01_8.crd"))});
    Button("Button8")->click();
    files.Answer(Q(dir.File("left01.bmp")));
    Button("Button5")->click();
    files.Answer(Q(dir.File("right01.bmp")));
    Button("Button6")->click();
    if (withScene) {
      files.AnswerMany({Q(dir.File("scene_8.crd"))});
      Button("Button10")->click();
    }
  }
  void PressCtrlJ(Qt::KeyboardModifiers extra = Qt::NoModifier) {
    Reactivate();
    QTest::keyClick(Edit("Edit9"), Qt::Key_J, Qt::ControlModifier | extra);
  }
};

TEST_F(TVisualFormTest, StartsWithTheTitleTheEmptyFieldsAndTheBuildMenuDisabled) {
  EXPECT_EQ(window->windowTitle(), "Построение стереоизображений по реперным точкам");
  EXPECT_FALSE(window->isWindowModified());
  for (const char* field : {"Edit7", "Edit8", "Edit9", "Edit10", "Edit12"}) EXPECT_EQ(Text(field), "") << field;
  EXPECT_FALSE(BuildMenuEnabled());
  EXPECT_EQ(window->Interpolation(), 2);
  EXPECT_FALSE(window->ModeMenu().menuAction()->isVisible());
  EXPECT_TRUE(Action("WithInterpolation")->isChecked());
  EXPECT_FALSE(Action("WithoutInterpolation")->isChecked());
  const QList<QAction*> items = window->BuildMenu().actions();
  ASSERT_EQ(items.size(), 7);
  const char* texts[] = {"Первое ко второму",      "Второе к первому",          "Первое к плану",
                         "Второе к плану",         "Анаглиф на основе второго", "Анаглиф на основе первого",
                         "Анаглиф на основе сцены"};
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(items[i]->text(), QString::fromUtf8(texts[i]));
    EXPECT_EQ(items[i]->isVisible(), i >= 4) << i;
  }
  EXPECT_EQ(window->Settings().SigmaCount, 3);
  EXPECT_EQ(window->Settings().MinAngle, 10);
  EXPECT_EQ(window->Settings().MinDistance, 0.1);
  EXPECT_EQ(window->IdleFlag(), 1);
}

TEST_F(TVisualFormTest, TheBuildMenuFollowsTheFourFieldsAndTheSceneItemTheSceneField) {
  Type("Edit8", "a.bmp");
  Type("Edit7", "b.bmp");
  Type("Edit9", "a.crd");
  EXPECT_FALSE(BuildMenuEnabled());
  Type("Edit10", "b.crd");
  EXPECT_TRUE(BuildMenuEnabled());
  EXPECT_TRUE(window->BuildItem(BuildCommand::AnaglyphOnSecond).isEnabled());
  EXPECT_TRUE(window->BuildItem(BuildCommand::AnaglyphOnFirst).isEnabled());
  EXPECT_FALSE(window->BuildItem(BuildCommand::AnaglyphOnScene).isEnabled());
  Type("Edit12", "s.crd");
  EXPECT_TRUE(window->BuildItem(BuildCommand::AnaglyphOnScene).isEnabled());
  for (const char* field : {"Edit7", "Edit8", "Edit9", "Edit10"}) {
    const QString kept = Text(field);
    Type(field, "");
    EXPECT_FALSE(BuildMenuEnabled()) << field;
    Type(field, kept);
    EXPECT_TRUE(BuildMenuEnabled()) << field;
  }
  // A text set by the program counts as well.
  files.AnswerMany({Q(dir.Write("other.crd", "1;1\r\n"))});
  Type("Edit12", "");
  EXPECT_FALSE(window->BuildItem(BuildCommand::AnaglyphOnScene).isEnabled());
  Button("Button10")->click();
  EXPECT_EQ(Text("Edit12"), "other.crd");
  EXPECT_TRUE(window->BuildItem(BuildCommand::AnaglyphOnScene).isEnabled());
}

TEST_F(TVisualFormTest, TypedPointFileNamesAreTakenInTheFolderOfThePathTheyReplace) {
  const std::string chosen = dir.Write("a.crd", "1;2\r\n");
  files.AnswerMany({Q(chosen)});
  Button("Button7")->click();
  ASSERT_EQ(window->Points1Path(), chosen);
  Type("Edit9", "b.crd");
  EXPECT_EQ(window->Points1Path(), dir.File("b.crd"));
  // A whole path typed or pasted is taken as it is.
  Type("Edit9", "/elsewhere/c.crd");
  EXPECT_EQ(window->Points1Path(), "/elsewhere/c.crd");
  Type("Edit9", "");
  EXPECT_EQ(window->Points1Path(), "");
  Type("Edit9", "b.crd");
  EXPECT_EQ(window->Points1Path(), "b.crd");
  Type("Edit12", "s.crd");
  EXPECT_EQ(window->ScenePath(), "s.crd");
  Type("Edit10", "t.crd");
  EXPECT_EQ(window->Points2Path(), "t.crd");
}

TEST_F(TVisualFormTest, EnterInAPhotographFieldLoadsTheTypedNameFromTheFolderOfTheLastOne) {
  ChessboardSet8();
  files.Answer(Q(dir.File("left01.bmp")));
  Button("Button5")->click();
  ASSERT_NE(window->View1().Photo(), nullptr);
  const qt::SharedPhoto left = window->View1().Photo();
  Type("Edit8", "right01.bmp");
  EXPECT_EQ(window->Photo1Path(), dir.File("left01.bmp")) << "nothing happens before Enter";
  QTest::keyClick(Edit("Edit8"), Qt::Key_Return);
  EXPECT_EQ(window->Photo1Path(), dir.File("right01.bmp"));
  EXPECT_NE(window->View1().Photo(), left);
  EXPECT_EQ(window->Photo1Size().Width, 640);
  EXPECT_EQ(window->Photo1Size().Height, 480);
  // An empty field: Enter does nothing.
  Type("Edit8", "");
  QTest::keyClick(Edit("Edit8"), Qt::Key_Return);
  EXPECT_EQ(window->Photo1Path(), dir.File("right01.bmp"));
  EXPECT_TRUE(boxes.Boxes.empty());
}

TEST_F(TVisualFormTest, ChoosingAPhotographTakesItsPointFileWhenOneIsBesideIt) {
  Example("chessboard", "left01.bmp", "left.bmp");
  Example("chessboard", "left01.bmp", "lonely.bmp");
  const std::string companion = Example("chessboard", "left01_8.crd", "left.crd");
  files.Answer(Q(dir.File("left.bmp")));
  Button("Button5")->click();
  ASSERT_EQ(files.Calls.size(), 1u);
  EXPECT_TRUE(files.Calls[0].Request.Filter.startsWith("Image Files (*.bmp "))
      << files.Calls[0].Request.Filter.toStdString();
  EXPECT_TRUE(files.Calls[0].Request.Filter.contains("*.png"));
  EXPECT_EQ(QDir::currentPath(), Q(dir.Path().string()));
  EXPECT_EQ(window->Photo1Path(), dir.File("left.bmp"));
  EXPECT_EQ(Text("Edit8"), "left.bmp");
  EXPECT_EQ(window->Points1Path(), companion);
  EXPECT_EQ(Text("Edit9"), "left.crd");
  EXPECT_EQ(window->Photo1Size().Width, 640);
  ASSERT_NE(window->View1().Photo(), nullptr);
  EXPECT_EQ(window->View1().Picture().PictureSize(), QSize(640, 480));

  // Without a companion the point file stays.
  files.Answer(Q(dir.File("lonely.bmp")));
  Button("Button5")->click();
  EXPECT_EQ(window->Photo1Path(), dir.File("lonely.bmp"));
  EXPECT_EQ(window->Points1Path(), companion);
  // Cancelled: nothing changes.
  Button("Button5")->click();
  EXPECT_EQ(window->Photo1Path(), dir.File("lonely.bmp"));
  EXPECT_TRUE(boxes.Boxes.empty());
}

TEST_F(TVisualFormTest, ChoosingAPointFileTakesItsPhotographWhichASavedInputSetThenStores) {
  Example("chessboard", "right01.bmp", "right.bmp");
  const std::string points = Example("chessboard", "right01_8.crd", "right.crd");
  files.AnswerMany({Q(points), Q(dir.File("ignored.crd"))});  // only the first counts
  Button("Button8")->click();
  EXPECT_EQ(files.Calls[0].Request.Filter, "Coordinate Files (*.crd)");
  EXPECT_EQ(window->Points2Path(), points);
  EXPECT_EQ(Text("Edit10"), "right.crd");
  EXPECT_EQ(window->Photo2Path(), dir.File("right.bmp"));
  EXPECT_EQ(Text("Edit7"), "right.bmp");
  EXPECT_EQ(window->Photo2Size().Width, 640);
  EXPECT_EQ(window->Photo2Size().Height, 480);
  ASSERT_NE(window->View2().Photo(), nullptr);

  const std::string project = dir.File("set.prt");
  files.Answer(Q(project));
  Action("SaveInputSet")->trigger();
  EXPECT_EQ(files.Calls.back().Request.Filter, "Project Files (*.prt);;All Files (*)");
  EXPECT_EQ(files.Calls.back().Request.DefaultSuffix, "prt");
  ProjectFields stored;
  ASSERT_FALSE(ReadProject(project, stored).has_value());
  EXPECT_EQ(stored.Image2, dir.File("right.bmp"));
  EXPECT_EQ(stored.Image2ReperPoints, points);
  EXPECT_EQ(stored.Image1, "");
}

TEST_F(TVisualFormTest, APointFileTakesAPhotographInAnotherFormatWhenNoBitmapIsBesideIt) {
  const std::optional<RgbImage> left = qt::LoadImage((test::ExamplesDir() / "chessboard" / "left01.bmp").string());
  ASSERT_TRUE(left.has_value());
  ASSERT_TRUE(qt::SaveImage(*left, dir.File("pair.png")));
  const std::string points = Example("chessboard", "left01_8.crd", "pair.crd");
  files.AnswerMany({Q(points)});
  Button("Button7")->click();
  EXPECT_EQ(window->Photo1Path(), dir.File("pair.png"));
  EXPECT_EQ(Text("Edit8"), "pair.png");
  ASSERT_NE(window->View1().Photo(), nullptr);
  EXPECT_EQ(*window->View1().Photo(), *left);
}

TEST_F(TVisualFormTest, APhotographThatCannotBeLoadedIsReportedAndTheViewKeepsItsPicture) {
  ChessboardSet8();
  files.Answer(Q(dir.File("left01.bmp")));
  Button("Button5")->click();
  const qt::SharedPhoto before = window->View1().Photo();
  ASSERT_NE(before, nullptr);
  const std::string broken = dir.Write("broken.bmp", "BM this is no bitmap");
  Example("chessboard", "left01_8.crd", "broken.crd");
  files.Answer(Q(broken));
  Button("Button5")->click();
  ASSERT_EQ(boxes.Boxes.size(), 1u);
  EXPECT_EQ(boxes.Boxes[0].Caption, "Vesk");
  EXPECT_EQ(boxes.Boxes[0].Owner, nullptr);
  EXPECT_TRUE(boxes.Boxes[0].Text.contains("broken.bmp")) << boxes.Boxes[0].Text.toStdString();
  EXPECT_EQ(window->Photo1Path(), dir.File("left01.bmp")) << "the path stays with the picture shown";
  EXPECT_EQ(Text("Edit8"), "left01.bmp") << "the field names the photograph the view shows";
  EXPECT_EQ(window->View1().Photo(), before);
  EXPECT_EQ(window->Photo1Size().Width, 640);
  EXPECT_EQ(window->Points1Path(), "") << "no companion taken for a photograph not loaded";

  // A photograph whose data ends early is refused with its name, whatever
  // its format, rather than shown and built with its missing part filled in.
  boxes.Boxes.clear();
  const std::string whole = dir.File("whole.jpg");
  ASSERT_TRUE(qt::DisplayImage(before).save(Q(whole), "JPEG"));
  std::ifstream in(whole, std::ios::binary);
  const std::string cut = dir.Write("cut.jpg", std::string(std::istreambuf_iterator<char>(in), {}).substr(0, 3000));
  files.Answer(Q(cut));
  Button("Button5")->click();
  ASSERT_EQ(boxes.Boxes.size(), 1u);
  EXPECT_TRUE(boxes.Boxes[0].Text.contains(Q(cut))) << boxes.Boxes[0].Text.toStdString();
  EXPECT_EQ(window->View1().Photo(), before);
}

TEST_F(TVisualFormTest, ATypedPhotographThatCannotBeLoadedLeavesTheFieldWithThePictureABuildUses) {
  LoadProject(ChessboardSet8());
  const qt::SharedPhoto shown = window->View1().Photo();
  ASSERT_NE(shown, nullptr);
  dir.Write("broken.bmp", "BM this is no bitmap");
  Type("Edit8", "broken.bmp");
  QTest::keyClick(Edit("Edit8"), Qt::Key_Return);
  ASSERT_EQ(boxes.Boxes.size(), 1u);
  EXPECT_TRUE(boxes.Boxes[0].Text.contains("broken.bmp"));
  EXPECT_EQ(Text("Edit8"), "left01.bmp");
  EXPECT_EQ(window->Photo1Path(), dir.File("left01.bmp"));
  EXPECT_EQ(window->View1().Photo(), shown);

  // The input set saved now names the photograph a build renders.
  files.Answer(Q(dir.File("now.prt")));
  Action("SaveInputSet")->trigger();
  ProjectFields stored;
  ASSERT_FALSE(ReadProject(dir.File("now.prt"), stored).has_value());
  EXPECT_EQ(stored.Image1, dir.File("left01.bmp"));
  boxes.Boxes.clear();
  Build(BuildCommand::AnaglyphOnFirst);
  ASSERT_TRUE(WaitForQuiet());
  EXPECT_TRUE(boxes.Boxes.empty()) << boxes.Texts().join("; ").toStdString();
  EXPECT_EQ(ShownViewers().size(), 1u);
}

TEST_F(TVisualFormTest, CtrlJTwiceShowsAndHidesTheExtraItemsAndOpensTheSettingsBothTimes) {
  std::vector<QStringList> shown;
  const auto record = [&shown](QDialog& dialog) {
    QStringList texts;
    for (const char* field : {"Edit1", "Edit2", "Edit3"}) texts << dialog.findChild<QLineEdit*>(field)->text();
    shown.push_back(texts);
    dialog.findChild<QPushButton*>("CancelButton")->click();
  };
  ModalAnswers answers({record, record});
  PressCtrlJ();
  EXPECT_EQ(answers.Opened(), 1);
  EXPECT_TRUE(window->ModeMenu().menuAction()->isVisible());
  // Shown, and enabled whatever the fields hold.
  for (BuildCommand command : {BuildCommand::FirstToSecond, BuildCommand::SecondToFirst, BuildCommand::FirstToPlan,
                               BuildCommand::SecondToPlan}) {
    EXPECT_TRUE(window->BuildItem(command).isVisible());
    EXPECT_TRUE(window->BuildItem(command).isEnabled());
  }
  PressCtrlJ(Qt::ShiftModifier);  // other modifiers do not matter
  EXPECT_EQ(answers.Opened(), 2);
  EXPECT_FALSE(window->ModeMenu().menuAction()->isVisible());
  EXPECT_FALSE(window->BuildItem(BuildCommand::FirstToPlan).isVisible());
  EXPECT_TRUE(window->BuildItem(BuildCommand::AnaglyphOnScene).isVisible());
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0], QStringList({"3", "10", "10"}));
  EXPECT_EQ(shown[1], QStringList({"3", "10", "10"}));
}

TEST_F(TVisualFormTest, TheSettingsDialogWritesIntoTheWorkspace) {
  ModalAnswers answers({[](QDialog& dialog) {
    QLineEdit* distance = dialog.findChild<QLineEdit*>("Edit3");
    distance->setText("5");
    dialog.findChild<QPushButton*>("OKButton")->click();
  }});
  PressCtrlJ();
  EXPECT_EQ(answers.Opened(), 1);
  EXPECT_DOUBLE_EQ(window->Settings().MinDistance, 0.05);
  EXPECT_EQ(window->Settings().SigmaCount, 3);
}

TEST_F(TVisualFormTest, TheSceneAnaglyphAsksForTheAreaAndBuildsModeElevenAndWithoutInterpolationModeSix) {
  ChooseChessboardFiles(true);
  {
    ModalAnswers answers({ModalAnswers::Click("OKButton")});
    Build(BuildCommand::AnaglyphOnScene);
    EXPECT_EQ(answers.Opened(), 1);
    EXPECT_EQ(area.BuildAreaTarget(), &window->BuildArea());
  }
  EXPECT_EQ(window->Mode(), BuildMode::AnaglyphOnSceneInterpolated);
  const BuildAreaFields& fields = window->BuildArea();
  EXPECT_EQ(fields.XMin, -100);
  EXPECT_EQ(fields.XMax, 600);
  EXPECT_EQ(fields.YMin, -100);
  EXPECT_EQ(fields.YMax, 500);
  EXPECT_EQ(fields.Step, 1);
  EXPECT_FALSE(fields.AutoStep);
  ASSERT_TRUE(WaitForQuiet());
  ASSERT_EQ(ShownViewers().size(), 1u);
  EXPECT_EQ(ShownViewers()[0]->ResultMode(), BuildMode::AnaglyphOnSceneInterpolated);
  EXPECT_EQ(ShownViewers()[0]->windowTitle(), "Стереовизуализация — анаглиф на плоскости (left01.bmp, right01.bmp)");
  EXPECT_EQ(window->IdleFlag(), 1);

  {
    ModalAnswers answers({ModalAnswers::Click("CancelButton")});  // the settings, and nothing after them
    PressCtrlJ();
    ASSERT_EQ(answers.Opened(), 1);
    Action("WithoutInterpolation")->trigger();
    EXPECT_EQ(window->Interpolation(), 1);
    EXPECT_TRUE(Action("WithoutInterpolation")->isChecked());
    EXPECT_FALSE(Action("WithInterpolation")->isChecked());
    Build(BuildCommand::AnaglyphOnScene);
    EXPECT_EQ(answers.Opened(), 1) << "no build-area dialog without interpolation";
  }
  EXPECT_EQ(window->Mode(), BuildMode::AnaglyphOnScene);
  ASSERT_TRUE(WaitForQuiet());
  ASSERT_EQ(ShownViewers().size(), 2u);
  EXPECT_TRUE(boxes.Boxes.empty()) << boxes.Texts().join("; ").toStdString();
}

TEST_F(TVisualFormTest, AutomaticScalingTakesTheStepFromTheReferencePoints) {
  ChooseChessboardFiles(true);
  area.findChild<QCheckBox*>("AutostepCheckBox")->setChecked(true);
  ModalAnswers answers({ModalAnswers::Click("OKButton")});
  Build(BuildCommand::AnaglyphOnScene);
  ASSERT_TRUE(WaitForQuiet());
  VT_Points scene(kOwnsItems), points1(kOwnsItems), points2(kOwnsItems);
  ASSERT_FALSE(ReadPointFile(dir.File("scene_8.crd"), scene, NumberFormat::Dot()));
  ASSERT_FALSE(ReadPointFile(dir.File("left01_8.crd"), points1, NumberFormat::Dot()));
  ASSERT_FALSE(ReadPointFile(dir.File("right01_8.crd"), points2, NumberFormat::Dot()));
  const std::optional<double> step = AutoBuildScale(scene, points1, points2);
  ASSERT_TRUE(step.has_value());
  EXPECT_TRUE(window->BuildArea().AutoStep);
  EXPECT_EQ(window->BuildArea().Step, *step);
  ASSERT_EQ(ShownViewers().size(), 1u);
}

TEST_F(TVisualFormTest, CancellingTheAreaDialogBuildsNothingAndClearsTheMark) {
  ChooseChessboardFiles(true);
  ModalAnswers answers({ModalAnswers::Click("CancelButton")});
  Build(BuildCommand::AnaglyphOnScene);
  EXPECT_EQ(answers.Opened(), 1);
  EXPECT_FALSE(window->BuildArea().AreaCancelled);
  EXPECT_FALSE(window->Fitting());
  EXPECT_TRUE(jobs.Viewers().Existing().empty());
  EXPECT_TRUE(boxes.Boxes.empty());
}

TEST_F(TVisualFormTest, AnAnaglyphWithoutSceneBuildsNormallyAfterASceneBuild) {
  ChooseChessboardFiles(true);
  {
    ModalAnswers answers({ModalAnswers::Click("OKButton")});
    Build(BuildCommand::AnaglyphOnScene);
  }
  ASSERT_TRUE(WaitForQuiet());
  Type("Edit12", "");
  EXPECT_EQ(window->ScenePath(), "");
  Build(BuildCommand::AnaglyphOnSecond);
  ASSERT_TRUE(WaitForQuiet());
  ASSERT_EQ(ShownViewers().size(), 2u);
  EXPECT_EQ(window->Mode(), BuildMode::AnaglyphOnSecond);
  EXPECT_TRUE(boxes.Boxes.empty()) << boxes.Texts().join("; ").toStdString();
  // The second set of the scene build is not carried into this one.
  ASSERT_NE(window->LastBuild(), nullptr);
  EXPECT_EQ(window->LastBuild()->Second().Count(), 0);
}

TEST_F(TVisualFormTest, TheResidualsOfABuildSortAndARowCentresBothPhotographsOnItsPoint) {
  ChooseChessboardFiles(true);
  EXPECT_FALSE(window->ResidualDock().isVisible());
  {
    ModalAnswers answers({ModalAnswers::Click("OKButton")});
    Build(BuildCommand::AnaglyphOnScene);
  }
  ASSERT_TRUE(WaitForQuiet());
  EXPECT_TRUE(window->ResidualDock().isVisible());
  gui::ResidualTable& table = window->Residuals();
  ASSERT_EQ(table.RowCount(), 16) << "eight points, two transformations";
  EXPECT_TRUE(table.Summary().contains("сцена → снимок 1")) << table.Summary().toStdString();
  EXPECT_TRUE(table.Summary().contains("сцена → снимок 2"));
  table.View().sortByColumn(gui::ResidualTable::kLengthColumn, Qt::DescendingOrder);
  for (int row = 1; row < table.RowCount(); ++row)
    EXPECT_GE(table.Value(row - 1, gui::ResidualTable::kLengthColumn),
              table.Value(row, gui::ResidualTable::kLengthColumn));

  // Zoomed in, both photographs scroll; the row's point comes to the middle
  // of each view.
  window->View1().SetZoom(3);
  window->View2().SetZoom(3);
  table.View().selectRow(5);
  const int point = table.PointOf(5);
  const ReferencePointBuild& build = *window->LastBuild();
  for (auto [view, points] :
       {std::pair{&window->View1(), &build.Points1()}, std::pair{&window->View2(), &build.Points2()}}) {
    const double scale = view->Picture().Scale();
    const double middleX = view->horizontalScrollBar()->value() + view->viewport()->width() / 2.0;
    const double middleY = view->verticalScrollBar()->value() + view->viewport()->height() / 2.0;
    EXPECT_NEAR(middleX / scale, points->Get(point)->X, 1.0);
    EXPECT_NEAR(middleY / scale, points->Get(point)->Y, 1.0);
  }
  EXPECT_NE(window->View1().Marks()[static_cast<std::size_t>(point)].Colour,
            window->View1().Marks()[static_cast<std::size_t>(point == 0 ? 1 : 0)].Colour)
      << "the chosen point stands out";
}

TEST_F(TVisualFormTest, EscWhenNothingRunsDoesNothing) {
  QTest::keyClick(Edit("Edit9"), Qt::Key_Escape);
  EXPECT_EQ(window->IdleFlag(), 1);
  EXPECT_TRUE(boxes.Boxes.empty());
  ChooseChessboardFiles(false);
  Build(BuildCommand::AnaglyphOnFirst);
  ASSERT_TRUE(WaitForQuiet());
  ASSERT_EQ(ShownViewers().size(), 1u);
  QTest::keyClick(Edit("Edit8"), Qt::Key_Escape);
  EXPECT_EQ(window->IdleFlag(), 1);
  EXPECT_TRUE(boxes.Boxes.empty());
}

// Reference points related by a shift: the statistical method, and with this
// many points its subsets take a good while.
void WriteShiftedPoints(const std::string& first, const std::string& second, int count) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> x(0, 640), y(0, 480), noise(-0.5, 0.5);
  std::ofstream out1(first), out2(second);
  for (int i = 0; i < count; ++i) {
    const double px = x(random), py = y(random);
    out1 << px << ";" << py << "\r\n";
    out2 << px + 12 + noise(random) << ";" << py - 4 + noise(random) << "\r\n";
  }
}

TEST_F(TVisualFormTest, TheStatisticalFitRunsInTheBackgroundAndEscStopsItWithNothingBuilt) {
  // As many as the automatic choice still gives the statistical method.
  int count = 4;
  while (StatisticalSubsets(BuildMode::AnaglyphOnSecond, count + 1) <= kMaxAutomaticStatisticalSubsets) ++count;
  WriteShiftedPoints(dir.File("many1.crd"), dir.File("many2.crd"), count);
  Type("Edit8", "a.bmp");
  Type("Edit7", "b.bmp");
  Type("Edit9", Q(dir.File("many1.crd")));
  Type("Edit10", Q(dir.File("many2.crd")));
  Build(BuildCommand::AnaglyphOnSecond);
  ASSERT_TRUE(window->Fitting());
  EXPECT_FALSE(BuildMenuEnabled()) << "one build is computed at a time";
  EXPECT_EQ(Status().StatusField().text(), "Вычисление параметров");
  EXPECT_EQ(Status().TimeField().text(), "0 : 0 : 0");
  // The window goes on: the bar advances while the fit runs.
  ASSERT_TRUE(test::SpinUntil([&] { return Status().ProgressBar().value() > 0 || !window->Fitting(); }));
  ASSERT_TRUE(window->Fitting()) << "the fit ended before the test could stop it";
  EXPECT_EQ(Status().TimeField().text(), "0 : 0 : 0") << "the fit's own clock is not shown";
  QTest::keyClick(Edit("Edit9"), Qt::Key_Escape);
  ASSERT_TRUE(test::SpinUntil([&] { return !window->Fitting(); }, 20000));
  EXPECT_TRUE(jobs.Viewers().Existing().empty());
  EXPECT_TRUE(boxes.Boxes.empty());
  EXPECT_EQ(Status().StatusField().text(), "");
  EXPECT_EQ(Status().TimeField().text(), "");
  EXPECT_EQ(Status().ProgressBar().value(), 0);
  EXPECT_TRUE(BuildMenuEnabled());
  EXPECT_EQ(window->IdleFlag(), 1);
}

TEST_F(TVisualFormTest, EveryFailureOfABuildShowsItsMessageAndBuildsNothing) {
  struct Case {
    const char* name;
    const char* points1;  // null: the file is missing
    const char* points2;
    BuildCommand command;
    const char* caption;
    QString text;
    bool ownedByWindow;
  };
  const QString missing = QString::fromUtf8("Файл ") + Q(dir.File("p1.crd")) + QString::fromUtf8(" не найден!");
  const Case cases[] = {
      {"scene file missing", "1;1\r\n", "1;1\r\n", BuildCommand::FirstToPlan, "Ошибка!",
       "Укажите файл координат точек сцены!", true},
      {"point file missing", nullptr, "1;1\r\n", BuildCommand::AnaglyphOnSecond, "Ошибка!", missing, true},
      // The reader's message, with the file, the line and what is wrong there below it.
      {"point file unreadable", "1;1\r\n2;x\r\n", "1;1\r\n", BuildCommand::AnaglyphOnSecond, "Ошибка!",
       QString::fromUtf8("Ошибка чтения файла сцены!\n") + Q(dir.File("p1.crd")) +
           QString::fromUtf8(", строка 2: «x» — не число с десятичным разделителем «.»"),
       true},
      {"both lists empty", "", "", BuildCommand::AnaglyphOnSecond, "Vesk", "Index out of bounds ListOfT::Get", false},
      // Files of different lengths would pair points that do not belong together.
      {"second list shorter", "1;1\r\n2;2\r\n", "1;1\r\n", BuildCommand::AnaglyphOnSecond, "Ошибка!",
       QString::fromUtf8("Число точек в файлах координат не совпадает!\n") + Q(dir.File("p1.crd")) + ": 2\n" +
           Q(dir.File("p2.crd")) + ": 1",
       true},
      {"first list empty", "", "1;1\r\n", BuildCommand::AnaglyphOnSecond, "Ошибка!",
       QString::fromUtf8("Число точек в файлах координат не совпадает!\n") + Q(dir.File("p1.crd")) + ": 0\n" +
           Q(dir.File("p2.crd")) + ": 1",
       true},
      {"no admissible subset", "0;0\r\n10;0\r\n20;0\r\n30;0\r\n", "0;0\r\n10;0\r\n20;0\r\n30;0\r\n",
       BuildCommand::AnaglyphOnSecond, "Vesk", "Index out of bounds ListOfT::Get", false},
  };
  Type("Edit8", "a.bmp");
  Type("Edit7", "b.bmp");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    boxes.Boxes.clear();
    std::filesystem::remove(dir.File("p1.crd"));
    if (c.points1 != nullptr) dir.Write("p1.crd", c.points1);
    dir.Write("p2.crd", c.points2);
    Type("Edit9", Q(dir.File("p1.crd")));
    Type("Edit10", Q(dir.File("p2.crd")));
    Type("Edit12", "");
    window->BuildItem(c.command).trigger();
    ASSERT_TRUE(WaitForQuiet());
    ASSERT_EQ(boxes.Boxes.size(), 1u) << boxes.Texts().join("; ").toStdString();
    EXPECT_EQ(boxes.Boxes[0].Caption, QString::fromUtf8(c.caption));
    EXPECT_EQ(boxes.Boxes[0].Text, c.text);
    EXPECT_EQ(boxes.Boxes[0].Owner, c.ownedByWindow ? window.get() : nullptr);
    EXPECT_TRUE(jobs.Viewers().Existing().empty());
    // Nothing is said to be built; a point file that cannot be read is
    // named there.
    const QString status = Status().StatusField().text();
    EXPECT_TRUE(status.isEmpty() || status.contains("p1.crd")) << status.toStdString();
    EXPECT_EQ(Status().ProgressBar().value(), 0);
    EXPECT_TRUE(BuildMenuEnabled());
  }
}

TEST_F(TVisualFormTest, LoadingAnInputSetShowsItsFilesAndAFailureStopsWithItsMessage) {
  const std::string project = ChessboardSet8();
  LoadProject(project);
  EXPECT_EQ(files.Calls[0].Request.Filter, "Project Files (*.prt);;All Files (*)");
  EXPECT_EQ(files.Calls[0].Request.DefaultSuffix, "prt");
  EXPECT_TRUE(boxes.Boxes.empty()) << boxes.Texts().join("; ").toStdString();
  EXPECT_EQ(window->Photo1Path(), dir.File("left01.bmp"));
  EXPECT_EQ(window->Photo2Path(), dir.File("right01.bmp"));
  EXPECT_EQ(window->Points1Path(), dir.File("left01_8.crd"));
  EXPECT_EQ(window->Points2Path(), dir.File("right01_8.crd"));
  EXPECT_EQ(window->ScenePath(), dir.File("scene_8.crd"));
  EXPECT_EQ(Text("Edit8"), "left01.bmp");
  EXPECT_EQ(Text("Edit7"), "right01.bmp");
  EXPECT_EQ(Text("Edit9"), "left01_8.crd");
  EXPECT_EQ(Text("Edit10"), "right01_8.crd");
  EXPECT_EQ(Text("Edit12"), "scene_8.crd");
  EXPECT_EQ(window->Photo2Size().Width, 640);
  ASSERT_NE(window->View2().Photo(), nullptr);
  EXPECT_TRUE(BuildMenuEnabled());
  EXPECT_TRUE(window->BuildItem(BuildCommand::AnaglyphOnScene).isEnabled());

  // The second photograph names no file: the first is loaded, then the
  // message.
  const qt::SharedPhoto kept = window->View2().Photo();
  dir.Write("broken.prt", "[Images]\r\nImage1=right01.bmp\r\nImage2=nothing.bmp\r\n");
  LoadProject(dir.File("broken.prt"));
  ASSERT_EQ(boxes.Boxes.size(), 1u);
  EXPECT_EQ(boxes.Boxes[0].Caption, "Ошибка!");
  EXPECT_EQ(boxes.Boxes[0].Text,
            Q("Ошибка чтения файла входных данных!\nФайл " + dir.File("nothing.bmp") + " не найден!"));
  EXPECT_EQ(boxes.Boxes[0].Owner, window.get());
  EXPECT_EQ(window->Photo1Path(), dir.File("right01.bmp"));
  EXPECT_EQ(window->Points1Path(), "") << "the set has no point files";
  // The photograph that failed leaves its row empty: the previous set's
  // picture is not shown (nor built) under the new set.
  ASSERT_NE(kept, nullptr);
  EXPECT_EQ(window->View2().Photo(), nullptr);
  EXPECT_EQ(window->Photo2Path(), "");
  EXPECT_EQ(Text("Edit7"), "");
  EXPECT_FALSE(BuildMenuEnabled());

  // A project that cannot be read at all: its reader's message, and the
  // workspace as it was.
  LoadProject(project);
  boxes.Boxes.clear();
  std::filesystem::create_directory(dir.File("folder.prt"));
  LoadProject(dir.File("folder.prt"));
  ASSERT_EQ(boxes.Boxes.size(), 1u);
  EXPECT_EQ(boxes.Boxes[0].Caption, "Ошибка");
  EXPECT_EQ(boxes.Boxes[0].Text, Q("Ошибка чтения файла проекта!\n" + dir.File("folder.prt")));
  EXPECT_EQ(boxes.Boxes[0].Owner, nullptr);
  EXPECT_EQ(window->Points1Path(), dir.File("left01_8.crd"));
  EXPECT_EQ(Text("Edit12"), "scene_8.crd");
  // Nor one that is gone by the time it is read.
  boxes.Boxes.clear();
  LoadProject(dir.File("gone.prt"));
  ASSERT_EQ(boxes.Boxes.size(), 1u);
  EXPECT_TRUE(boxes.Boxes[0].Text.startsWith("Ошибка чтения файла проекта!\n" + Q(dir.File("gone.prt"))));
  EXPECT_EQ(window->Photo1Path(), dir.File("left01.bmp"));
  EXPECT_NE(window->View1().Photo(), nullptr);
}

TEST_F(TVisualFormTest, SavingOverAnExistingProjectAsksFirst) {
  const std::string project = ChessboardSet8();
  LoadProject(project);
  const std::string target = dir.Write("old.prt", "[ExternalOrientation]\r\nImage1ExOrientation=a.ort\r\n");
  files.Answer(Q(target));
  Action("SaveInputSet")->trigger();  // answered No
  ASSERT_EQ(boxes.Boxes.size(), 1u);
  EXPECT_TRUE(boxes.Boxes[0].Question);
  EXPECT_EQ(boxes.Boxes[0].Caption, "Предупреждение");
  EXPECT_EQ(boxes.Boxes[0].Text, "Файл old.prt уже существует. Перезаписать?");
  EXPECT_EQ(boxes.Boxes[0].Owner, nullptr);
  EXPECT_EQ(dir.Read("old.prt"), "[ExternalOrientation]\r\nImage1ExOrientation=a.ort\r\n");

  boxes.AnswerYes();
  files.Answer(Q(target));
  Action("SaveInputSet")->trigger();
  ProjectFields stored;
  ASSERT_FALSE(ReadProject(target, stored).has_value());
  EXPECT_EQ(stored.Image1ExOrientation, "a.ort") << "the other workspace's keys stay";
  EXPECT_EQ(stored.Image1, dir.File("left01.bmp"));
  EXPECT_EQ(stored.SceneReperPoints, dir.File("scene_8.crd"));
}

TEST_F(TVisualFormTest, ADoubleClickOpensThePointFileInTheTableEditor) {
  ChooseChessboardFiles(true);
  QTest::mouseDClick(Edit("Edit9"), Qt::LeftButton);
  ASSERT_EQ(window->Editors().size(), 1u);
  gui::TRedForm* editor = window->Editors()[0];
  EXPECT_TRUE(editor->isVisible());
  EXPECT_EQ(editor->windowTitle(), "left01_8.crd Реперные точки");
  EXPECT_EQ(editor->Kind(), TableKind::PointTable);
  QTest::mouseDClick(Edit("Edit12"), Qt::LeftButton);
  ASSERT_EQ(window->Editors().size(), 2u);
  EXPECT_EQ(window->Editors()[1]->windowTitle(), "scene_8.crd Реперные точки");

  // A file the editor cannot show: its message, and no editor.
  dir.Write("bad.crd", "not a point\r\n");
  Type("Edit10", Q(dir.File("bad.crd")));
  QTest::mouseDClick(Edit("Edit10"), Qt::LeftButton);
  EXPECT_EQ(window->Editors().size(), 2u);
  ASSERT_EQ(boxes.Boxes.size(), 1u);
  EXPECT_EQ(boxes.Boxes[0].Text, "Внутренняя ошибка. Обратитесь к разработчику.");
  // An empty field opens an empty table.
  Type("Edit10", "");
  QTest::mouseDClick(Edit("Edit10"), Qt::LeftButton);
  ASSERT_EQ(window->Editors().size(), 3u);
  EXPECT_EQ(window->Editors()[2]->windowTitle(), "Untitled Реперные точки");
}

TEST_F(TVisualFormTest, TheHeaderFollowsTheLayoutRuleAndTheViewsShareTheWidthOnShow) {
  for (const int width : {968, 700, 1201}) {
    SCOPED_TRACE(width);
    window->resize(width, 634);
    QApplication::processEvents();
    auto* header = window->findChild<gui::PointFilesHeader*>();
    ASSERT_EQ(header->width(), width);
    const int third = width / 3;
    const int first = third - 10, second = 2 * third - 20;
    const auto right = [](QWidget* w) { return w->geometry().x() + w->geometry().width(); };
    EXPECT_EQ(right(Edit("Edit8")), first - 10);
    EXPECT_EQ(right(Edit("Edit7")), first - 10);
    EXPECT_EQ(right(Button("Button5")), first - 11);
    EXPECT_EQ(right(Button("Button6")), first - 11);
    EXPECT_EQ(right(Edit("Edit9")), second - 10);
    EXPECT_EQ(right(Edit("Edit10")), second - 10);
    EXPECT_EQ(right(Button("Button7")), second - 11);
    EXPECT_EQ(right(Button("Button8")), second - 11);
    EXPECT_EQ(right(Edit("Edit12")), width - 10);
    EXPECT_EQ(right(Button("Button10")), width - 11);
    EXPECT_GT(Edit("Edit9")->x(), first);
    EXPECT_GT(Edit("Edit12")->x(), second);
    EXPECT_GT(Edit("Edit8")->x(), 0);
  }
  auto* splitter = window->findChild<QSplitter*>("Splitter1");
  splitter->setSizes({100, 800});
  window->hide();
  window->resize(1000, 634);
  window->show();
  QApplication::processEvents();
  const QList<int> sizes = splitter->sizes();
  EXPECT_LE(std::abs(sizes[0] - sizes[1]), 1) << sizes[0] << " " << sizes[1];
  EXPECT_EQ(window->size(), QSize(1000, 634));
}

TEST_F(TVisualFormTest, ShowingTheWindowBindsTheBuildAreaDialogAndHelpAndAboutOpen) {
  area.SetBuildAreaTarget(nullptr);
  window->hide();
  window->show();
  EXPECT_EQ(area.BuildAreaTarget(), &window->BuildArea());
  Action("HelpContents")->trigger();
  EXPECT_EQ(helpOpened, std::vector<QString>{"refpoints.html"});
  // F1 from any field does the same.
  Reactivate();
  QTest::keyClick(Edit("Edit9"), Qt::Key_F1);
  EXPECT_EQ(helpOpened, (std::vector<QString>{"refpoints.html", "refpoints.html"}));
  ModalAnswers answers;
  Action("HelpAbout")->trigger();
  EXPECT_EQ(answers.Opened(), 1);
  Action("Exit")->trigger();
  EXPECT_FALSE(window->isVisible());
}

TEST_F(TVisualFormTest, TheReferencePointsAreDrawnNumberedOnBothPhotographsAndFollowTheirFiles) {
  ChooseChessboardFiles(false);
  VT_Points left(kOwnsItems);
  ASSERT_FALSE(ReadPointFile(dir.File("left01_8.crd"), left, NumberFormat::Dot()));
  const std::vector<gui::PhotoMark>& marks = window->View1().Marks();
  ASSERT_EQ(marks.size(), 8u);
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(marks[i].X, left.Get(i)->X);
    EXPECT_EQ(marks[i].Y, left.Get(i)->Y);
    EXPECT_EQ(marks[i].Label, QString::number(i + 1));
  }
  EXPECT_EQ(window->View2().Marks().size(), 8u);

  // The file is replaced, as the table editor saves: the marks follow.
  dir.Write("new.crd", "10;20\r\n30;40\r\n");
  std::filesystem::rename(dir.File("new.crd"), dir.File("left01_8.crd"));
  ASSERT_TRUE(test::SpinUntil([&] { return window->View1().Marks().size() == 2; }, 5000));
  EXPECT_EQ(window->View1().Marks()[1].X, 30);
  // Written in place as well.
  { std::ofstream(dir.File("left01_8.crd"), std::ios::app) << "50;60\r\n"; }
  ASSERT_TRUE(test::SpinUntil([&] { return window->View1().Marks().size() == 3; }, 5000));

  Action("ShowMarks")->trigger();
  EXPECT_TRUE(window->View1().Marks().empty());
  EXPECT_TRUE(window->View2().Marks().empty());
  Action("ShowMarks")->trigger();
  EXPECT_EQ(window->View2().Marks().size(), 8u);
}

TEST_F(TVisualFormTest, TheViewsZoomTogetherFromTheMenuAndLockedFromEitherView) {
  ChooseChessboardFiles(false);
  Action("FitToWindow")->trigger();
  EXPECT_LT(window->View1().Picture().Zoom(), 1);
  EXPECT_LT(window->View2().Picture().Zoom(), 1);
  Action("ActualSize")->trigger();
  EXPECT_EQ(window->View1().Picture().Zoom(), 1);
  EXPECT_EQ(window->View2().Picture().Zoom(), 1);
  Action("LockViews")->trigger();
  window->View2().ZoomIn();
  EXPECT_EQ(window->View1().Picture().Zoom(), window->View2().Picture().Zoom());
  EXPECT_GT(window->View1().Picture().Zoom(), 1);
  window->View1().horizontalScrollBar()->setValue(120);
  EXPECT_EQ(window->View2().horizontalScrollBar()->value(), 120);
}

void Drop(QWidget& window, QWidget& onto, const std::vector<std::string>& paths) {
  QMimeData mime;
  QList<QUrl> urls;
  for (const std::string& path : paths) urls << QUrl::fromLocalFile(Q(path));
  mime.setUrls(urls);
  const QPointF at = onto.mapTo(&window, onto.rect().center());
  QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&window, &enter);
  ASSERT_TRUE(enter.isAccepted());
  QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&window, &drop);
}

TEST_F(TVisualFormTest, DroppedFilesAreAssignedAsTheChooseButtonsWouldAndAProjectLoads) {
  const std::string project = ChessboardSet8();
  Example("chessboard", "left01_8.crd", "right01.crd");  // the companion of the photograph
  Drop(*window, window->View2(), {dir.File("right01.bmp")});
  EXPECT_EQ(window->Photo2Path(), dir.File("right01.bmp"));
  EXPECT_EQ(window->Points2Path(), dir.File("right01.crd"));
  EXPECT_EQ(window->Photo1Path(), "");
  Drop(*window, *Edit("Edit12"), {dir.File("scene_8.crd")});
  EXPECT_EQ(window->ScenePath(), dir.File("scene_8.crd"));
  Drop(*window, *Edit("Edit9"), {dir.File("left01_8.crd")});
  EXPECT_EQ(window->Points1Path(), dir.File("left01_8.crd"));
  // Two photographs at once fill both rows in the order of their names.
  Drop(*window, window->View2(), {dir.File("right01.bmp"), dir.File("left01.bmp")});
  EXPECT_EQ(window->Photo1Path(), dir.File("left01.bmp"));
  EXPECT_EQ(window->Photo2Path(), dir.File("right01.bmp"));

  Type("Edit12", "");
  Drop(*window, window->View1(), {project, dir.File("left01.bmp")});
  EXPECT_EQ(window->ScenePath(), dir.File("scene_8.crd"));
  EXPECT_EQ(window->Points2Path(), dir.File("right01_8.crd"));
  EXPECT_TRUE(boxes.Boxes.empty()) << boxes.Texts().join("; ").toStdString();

  // Nothing the workspace takes: the drop is refused.
  QMimeData mime;
  mime.setUrls({QUrl::fromLocalFile(Q(dir.Write("notes.txt", "x")))});
  QDragEnterEvent enter(QPoint(10, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(window.get(), &enter);
  EXPECT_FALSE(enter.isAccepted());
}

// Points related by little more than a shift go to the statistical method,
// whose cost grows as the fourth power of their count: beyond the bound the
// workspace takes least squares and says so in the status bar and in the
// residual panel, and the next build's choice replaces the note.
TEST_F(TVisualFormTest, TooManyPointsForTheStatisticalMethodTakeLeastSquaresAndSaySo) {
  ChooseChessboardFiles(false);
  int many = 4;
  while (StatisticalSubsets(BuildMode::AnaglyphOnFirst, many) <= kMaxAutomaticStatisticalSubsets) ++many;
  std::string first, second;
  for (int i = 0; i < many; ++i) {
    const double x = 2.5 * ((37 * i) % 251), y = 1.8 * ((53 * i) % 241);
    first += std::to_string(x) + ";" + std::to_string(y) + "\r\n";
    second += std::to_string(x + 12 + 0.01 * (i % 5)) + ";" + std::to_string(y - 4) + "\r\n";
  }
  Type("Edit9", Q(dir.Write("many1.crd", first)));
  Type("Edit10", Q(dir.Write("many2.crd", second)));
  Build(BuildCommand::AnaglyphOnFirst);
  ASSERT_TRUE(WaitForQuiet());
  EXPECT_TRUE(boxes.Boxes.empty()) << boxes.Texts().join("; ").toStdString();
  ASSERT_NE(window->LastBuild(), nullptr);
  EXPECT_EQ(window->LastBuild()->Method(), EstimationMethod::LeastSquares);
  const QString note = gui::TooManySubsetsNote(many);
  EXPECT_TRUE(note.contains(QString::number(many)));
  EXPECT_EQ(Status().Note().text(), note);
  EXPECT_FALSE(Status().Note().isHidden());
  EXPECT_TRUE(window->Residuals().Summary().startsWith(note)) << window->Residuals().Summary().toStdString();

  Type("Edit9", Q(dir.File("left01_8.crd")));
  Type("Edit10", Q(dir.File("right01_8.crd")));
  Build(BuildCommand::AnaglyphOnFirst);
  ASSERT_TRUE(WaitForQuiet());
  EXPECT_EQ(Status().Note().text(), "");
  EXPECT_TRUE(Status().Note().isHidden());
  EXPECT_FALSE(window->Residuals().Summary().contains(note));
}

TEST(DropPlanTest, SeveralPointFilesFillTheRowsAndTheSceneByName) {
  const gui::DropPlan plan =
      gui::PlanDrop({"/d/scene.crd", "/d/right.crd", "/d/left.crd", "/d/x.txt"}, gui::DropTarget::SecondRow);
  using A = gui::DropPlan::Assignment;
  EXPECT_EQ(plan.PointFiles, (std::vector<A>{{gui::DropTarget::FirstRow, "/d/left.crd"},
                                             {gui::DropTarget::SecondRow, "/d/right.crd"},
                                             {gui::DropTarget::Scene, "/d/scene.crd"}}));
  EXPECT_TRUE(plan.Photos.empty());
  EXPECT_EQ(gui::PlanDrop({"/d/a.PNG"}, gui::DropTarget::Scene).Photos,
            (std::vector<A>{{gui::DropTarget::FirstRow, "/d/a.PNG"}}));
  EXPECT_EQ(gui::KindOfDroppedFile("/d/set.PRT"), gui::DroppedKind::Project);
  EXPECT_EQ(gui::KindOfDroppedFile("/d/noext"), gui::DroppedKind::Other);
}

}  // namespace
}  // namespace vesk
