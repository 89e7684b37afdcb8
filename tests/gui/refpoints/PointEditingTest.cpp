#include <QDockWidget>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMouseEvent>
#include <QTableView>
#include <QToolBar>
#include <QUndoStack>
#include <cmath>
#include <deque>
#include <filesystem>
#include <fstream>

#include "build/ReferencePointBuild.h"
#include "cli/CliTestSupport.h"
#include "editing/PointListFile.h"
#include "files/CoordinateFile.h"
#include "gui/editor/TRedForm.h"
#include "gui/editor/TableModel.h"
#include "gui/refpoints/PointEditor.h"
#include "gui/refpoints/PointLoupe.h"
#include "gui/refpoints/ResidualTable.h"
#include "gui/refpoints/WorkspaceFixture.h"
#include "gui/workspace/PhotoView.h"
#include "qt/ImageFiles.h"

namespace vesk {
namespace {

using gui::SaveAnswer;

QString Q(const std::string& text) { return QString::fromStdString(text); }

class PointEditingTest : public test::WorkspaceFixture {
 public:
  PointEditingTest() {
    window->Points().SetSaveQuestion([this](QWidget*, const QString& text) {
      questions.push_back(text);
      if (answers.empty()) return SaveAnswer::Cancel;
      const SaveAnswer answer = answers.front();
      answers.pop_front();
      return answer;
    });
  }

  // The two chessboard photographs, with no point files.
  void LoadPhotosOnly() {
    Example("chessboard", "left01.bmp");
    Example("chessboard", "right01.bmp");
    files.Answer(Q(dir.File("left01.bmp")));
    Button("Button5")->click();
    files.Answer(Q(dir.File("right01.bmp")));
    Button("Button6")->click();
    ASSERT_EQ(Text("Edit9"), "");
  }
  void LoadEightPoints() {
    LoadProject(ChessboardSet8());
    ASSERT_EQ(Model().Count(PointList::First), 8);
  }
  void StartEditing() {
    Action("EditPoints")->setChecked(true);
    ASSERT_TRUE(window->Points().Editing());
  }
  const PointEditModel& Model() { return window->Points().Model(); }
  gui::PhotoView& View(int k) { return k == 1 ? window->View1() : window->View2(); }
  QWidget* Picture(int k) { return &View(k).Picture(); }
  void Click(int k, QPoint at) { QTest::mouseClick(Picture(k), Qt::LeftButton, Qt::NoModifier, at); }
  void Drag(int k, QPoint from, QPoint to) {
    QTest::mousePress(Picture(k), Qt::LeftButton, Qt::NoModifier, from);
    // Through a point between, as a hand would.
    QTest::mouseMove(Picture(k), (from + to) / 2);
    QTest::mouseMove(Picture(k), to);
    QTest::mouseRelease(Picture(k), Qt::LeftButton, Qt::NoModifier, to);
  }
  // The widget position of a photograph point on view k.
  QPoint ScreenOf(int k, double x, double y) {
    const double scale = View(k).Picture().Scale();
    return QPoint(static_cast<int>(std::floor(x * scale)), static_cast<int>(std::floor(y * scale)));
  }
  EditedPoint At(PointList list, int index) { return Model().Points(list)[static_cast<std::size_t>(index)]; }
  // Eight pairs placed by clicks, each pair at the same spot of both views.
  void PlaceEightPairs() {
    const QPoint spots[] = {{100, 80}, {500, 90}, {520, 400}, {90, 390}, {300, 240}, {200, 150}, {420, 310}, {310, 60}};
    for (const QPoint& spot : spots) {
      Click(1, spot);
      Click(2, spot + QPoint(7, 3));
    }
  }

  std::vector<QString> questions;
  std::deque<SaveAnswer> answers;
};

// At any zoom the point is the centre of the screen pixel clicked, in
// photograph pixels.
TEST_F(PointEditingTest, AClickPlacesThePointAtTheCentreOfTheScreenPixelAtEveryZoom) {
  LoadPhotosOnly();
  StartEditing();
  struct Case {
    double zoom;
    QPoint screen;
    double x, y;
  };
  for (const Case& c :
       {Case{0.5, {101, 40}, 203, 81}, Case{1, {101, 40}, 101.5, 40.5}, Case{4, {101, 40}, 25.375, 10.125}}) {
    View(1).SetZoom(c.zoom);
    View(2).SetZoom(c.zoom);
    const int before = Model().Count(PointList::First);
    Click(1, c.screen);
    ASSERT_EQ(Model().Count(PointList::First), before + 1) << c.zoom;
    EXPECT_EQ(At(PointList::First, before), (EditedPoint{c.x, c.y})) << c.zoom;
    // The pair's status names the photograph that awaits it.
    EXPECT_EQ(Status().StatusField().text(), QStringLiteral("Укажите точку %1 на втором снимке").arg(before + 1));
    Click(2, c.screen + QPoint(1, 0));
    EXPECT_EQ(Model().CompletePairs(), before + 1);
  }
  // Outside the photograph nothing is placed (the picture is smaller than
  // the view at 50 %).
  View(1).SetZoom(0.5);
  const int count = Model().Count(PointList::First);
  Click(1, QPoint(330, 100));
  EXPECT_EQ(Model().Count(PointList::First), count);
}

TEST_F(PointEditingTest, WithEditingOffTheViewsPlaceNothing) {
  LoadPhotosOnly();
  Click(1, QPoint(50, 50));
  EXPECT_EQ(Model().Count(PointList::First), 0);
  EXPECT_FALSE(Action("DeletePoint")->isEnabled());
}

TEST_F(PointEditingTest, ADragWithinTheHitAreaMovesThePointAndOneOutsideStartsANewOne) {
  LoadEightPoints();
  StartEditing();
  const EditedPoint p = At(PointList::First, 4);
  const QPoint on = ScreenOf(1, *p.X, *p.Y);
  // 7 screen pixels off the point still takes it.
  Drag(1, on + QPoint(5, 5), on + QPoint(40, 25));
  ASSERT_EQ(Model().Count(PointList::First), 8);
  const QPoint end = on + QPoint(40, 25);
  EXPECT_EQ(At(PointList::First, 4), (EditedPoint{end.x() + 0.5, end.y() + 0.5}));
  EXPECT_EQ(window->Points().Selected(), 4);
  EXPECT_EQ(Action("UndoPoints")->text(), "Отменить: перемещение точки 5");
  EXPECT_TRUE(window->isWindowModified());
  EXPECT_EQ(window->windowTitle(), "Построение стереоизображений по реперным точкам[*]");

  // 12 pixels off it is a new point, placed where the drag ends.
  const EditedPoint q = At(PointList::First, 0);
  const QPoint near = ScreenOf(1, *q.X, *q.Y) + QPoint(12, 0);
  Drag(1, near, near + QPoint(3, 2));
  ASSERT_EQ(Model().Count(PointList::First), 9);
  EXPECT_EQ(At(PointList::First, 0), q);
  EXPECT_EQ(At(PointList::First, 8), (EditedPoint{near.x() + 3.5, near.y() + 2.5}));
  // Placing and dragging it is one edit.
  EXPECT_EQ(Action("UndoPoints")->text(), "Отменить: добавление точки 9");
  Action("UndoPoints")->trigger();
  EXPECT_EQ(Model().Count(PointList::First), 8);
}

TEST_F(PointEditingTest, DeleteRenumbersAllThreeListsAndUndoRestoresThemExactly) {
  LoadEightPoints();
  StartEditing();
  const std::array<std::vector<EditedPoint>, 3> before = {
      Model().Points(PointList::First), Model().Points(PointList::Second), Model().Points(PointList::Scene)};
  const EditedPoint p = At(PointList::Second, 2);
  Click(2, ScreenOf(2, *p.X, *p.Y));
  ASSERT_EQ(window->Points().Selected(), 2);
  Reactivate();
  QTest::keyClick(window.get(), Qt::Key_Delete);
  for (const PointList list : kPointLists) {
    const auto& points = Model().Points(list);
    ASSERT_EQ(points.size(), 7u);
    // Point 4 is now number 3, in every list.
    EXPECT_EQ(points[2], before[static_cast<std::size_t>(list)][3]);
  }
  EXPECT_EQ(View(1).Marks().size(), 7u);
  EXPECT_EQ(View(1).Marks()[2].Label, "3");
  QTest::keyClick(window.get(), Qt::Key_Z, Qt::ControlModifier);
  for (const PointList list : kPointLists) EXPECT_EQ(Model().Points(list), before[static_cast<std::size_t>(list)]);
  EXPECT_FALSE(window->isWindowModified());
  EXPECT_EQ(window->windowTitle(), "Построение стереоизображений по реперным точкам");
  QTest::keyClick(window.get(), Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(Model().Count(PointList::Scene), 7);
}

TEST_F(PointEditingTest, ArrowKeysNudgeTheSelectedPointByAScreenPixel) {
  LoadEightPoints();
  StartEditing();
  View(1).SetZoom(4);
  const EditedPoint p = At(PointList::First, 1);
  View(1).ensureVisible(static_cast<int>(*p.X * 4), static_cast<int>(*p.Y * 4));
  Click(1, ScreenOf(1, *p.X, *p.Y));
  ASSERT_EQ(window->Points().Selected(), 1);
  QTest::keyClick(&View(1), Qt::Key_Right);
  QTest::keyClick(&View(1), Qt::Key_Down, Qt::ShiftModifier);
  EXPECT_EQ(At(PointList::First, 1), (EditedPoint{*p.X + 0.25, *p.Y + 2.5}));
  // The nudges of one point are one edit.
  Action("UndoPoints")->trigger();
  EXPECT_EQ(At(PointList::First, 1), p);
}

TEST_F(PointEditingTest, TheLoupeFollowsThePointerWhilePlacing) {
  LoadPhotosOnly();
  StartEditing();
  auto* loupe = View(1).findChild<gui::PointLoupe*>("PointLoupe");
  ASSERT_NE(loupe, nullptr);
  QTest::mouseMove(Picture(1), QPoint(200, 150));
  EXPECT_TRUE(loupe->isVisible());
  EXPECT_EQ(loupe->Centre(), QPointF(200.5, 150.5));
  EXPECT_GE(gui::PointLoupe::Magnification(View(1).Picture().Zoom()), 4 * View(1).Picture().Zoom());
  // Near its corner the loupe moves out of the way.
  QTest::mouseMove(Picture(1), QPoint(20, 20));
  EXPECT_GT(loupe->x(), View(1).viewport()->width() / 2);
  Action("EditPoints")->setChecked(false);
  EXPECT_FALSE(loupe->isVisible());
}

// Eight pairs from nothing, residuals from the fourth on, save with the
// companion names, and the build and its residuals agree with the saved
// files.
TEST_F(PointEditingTest, FromNothingToSavedFilesWithLiveResidualsOnTheWay) {
  LoadPhotosOnly();
  StartEditing();
  const QPoint spots[] = {{100, 80}, {500, 90}, {520, 400}, {90, 390}, {300, 240}, {200, 150}, {420, 310}, {310, 60}};
  for (int i = 0; i < 8; ++i) {
    Click(1, spots[i]);
    Click(2, spots[i] + QPoint(7 + i % 3, 3 - i % 2));
    if (i == 2) {
      EXPECT_EQ(window->Residuals().RowCount(), 0);
    }
  }
  ASSERT_TRUE(test::SpinUntil([this] { return window->Residuals().RowCount() == 8; }));
  // Moving a point changes the residuals; undoing brings them back.
  const double before = window->Residuals().Value(4, gui::ResidualTable::kLengthColumn);
  Drag(1, spots[4], spots[4] + QPoint(6, 0));
  ASSERT_TRUE(
      test::SpinUntil([&] { return window->Residuals().Value(4, gui::ResidualTable::kLengthColumn) != before; }));
  Action("UndoPoints")->trigger();
  ASSERT_TRUE(
      test::SpinUntil([&] { return window->Residuals().Value(4, gui::ResidualTable::kLengthColumn) == before; }));

  EXPECT_TRUE(window->isWindowModified());
  files.Answer(Q(dir.File("left01.crd")));
  files.Answer(Q(dir.File("right01.crd")));
  Action("SavePoints")->trigger();
  ASSERT_GE(files.Calls.size(), 4u);
  // Each photograph's companion name is proposed.
  EXPECT_EQ(files.Calls[files.Calls.size() - 2].Request.ProposedName, Q(dir.File("left01.crd")));
  EXPECT_EQ(files.Calls.back().Request.ProposedName, Q(dir.File("right01.crd")));
  EXPECT_EQ(Text("Edit9"), "left01.crd");
  EXPECT_EQ(Text("Edit10"), "right01.crd");
  EXPECT_FALSE(window->isWindowModified());
  const PointListRead saved = ReadPointList(dir.File("left01.crd"), NumberFormat::Dot());
  EXPECT_EQ(saved.Points, Model().Points(PointList::First));

  std::vector<double> live;
  for (int row = 0; row < 8; ++row) live.push_back(window->Residuals().Value(row, gui::ResidualTable::kLengthColumn));
  Build(BuildCommand::AnaglyphOnSecond);
  ASSERT_TRUE(WaitForQuiet());
  EXPECT_TRUE(questions.empty());
  ASSERT_EQ(ShownViewers().size(), 1u);
  ASSERT_EQ(window->Residuals().RowCount(), 8);
  for (int row = 0; row < 8; ++row)
    EXPECT_EQ(window->Residuals().Value(row, gui::ResidualTable::kLengthColumn), live[static_cast<std::size_t>(row)]);

  // The files written are what vesk-cli builds and fits from: the same
  // picture, byte for byte, and the same residuals.
  const std::string project = dir.File("placed.prt");
  {
    std::ofstream out(project, std::ios::binary);
    out << "[Images]\r\nImage1=left01.bmp\r\nImage2=right01.bmp\r\n[ReperPoints]\r\n"
           "Image1ReperPoints=left01.crd\r\nImage2ReperPoints=right01.crd\r\n";
  }
  const test::CliRun render =
      test::RunVeskCli({"render", "--project", project, "--by", "points", "--build", "anaglyph-second",
                        "--decimal-separator", ".", "-o", dir.File("cli.bmp")});
  ASSERT_EQ(render.Status, 0) << render.Err;
  const std::optional<RgbImage> written = qt::LoadImage(dir.File("cli.bmp"));
  ASSERT_TRUE(written.has_value());
  ASSERT_NE(ShownViewers()[0]->ResultBitmap(), nullptr);
  EXPECT_TRUE(*ShownViewers()[0]->ResultBitmap() == *written);
  const test::CliRun fit = test::RunVeskCli(
      {"fit", "--points1", dir.File("left01.crd"), "--points2", dir.File("right01.crd"), "--mode",
       std::to_string(static_cast<int>(BuildMode::AnaglyphOnSecond)), "--photo1", dir.File("left01.bmp"), "--photo2",
       dir.File("right01.bmp"), "--decimal-separator", ".", "--json"});
  ASSERT_EQ(fit.Status, 0) << fit.Err;
  const QJsonArray points = QJsonDocument::fromJson(QByteArray::fromStdString(fit.Out))
                                .object()["residuals"]
                                .toObject()["primary"]
                                .toObject()["points"]
                                .toArray();
  ASSERT_EQ(points.size(), 8);
  for (int row = 0; row < 8; ++row) {
    EXPECT_EQ(window->Residuals().Value(row, gui::ResidualTable::kDxColumn), points[row].toArray()[0].toDouble());
    EXPECT_EQ(window->Residuals().Value(row, gui::ResidualTable::kDyColumn), points[row].toArray()[1].toDouble());
  }
}

TEST_F(PointEditingTest, UnsavedEditsAskBeforeTheyAreLostAndCancelKeepsEverything) {
  LoadEightPoints();
  StartEditing();
  const std::string project = dir.File("chessboard_points8.prt");
  const EditedPoint p = At(PointList::First, 0);
  Drag(1, ScreenOf(1, *p.X, *p.Y), ScreenOf(1, *p.X, *p.Y) + QPoint(10, 0));
  const EditedPoint moved = At(PointList::First, 0);
  ASSERT_NE(moved, p);
  const QString question = QString::fromUtf8(gui::kPointsChangedQuestion);

  // Отмена, in every situation, keeps the edits and the input set.
  answers = {SaveAnswer::Cancel};
  LoadProject(project);
  answers = {SaveAnswer::Cancel};
  Edit("Edit9")->setFocus();
  QTest::keyClick(Edit("Edit9"), Qt::Key_X);
  EXPECT_EQ(window->Points1Path(), dir.File("left01_8.crd"));
  EXPECT_EQ(Text("Edit9"), "left01_8.crd");
  answers = {SaveAnswer::Cancel};
  window->close();
  EXPECT_TRUE(window->isVisible());
  answers = {SaveAnswer::Cancel};
  Build(BuildCommand::AnaglyphOnSecond);
  EXPECT_FALSE(window->Fitting());
  EXPECT_TRUE(ShownViewers().empty());
  EXPECT_EQ(questions, std::vector<QString>(4, question));
  EXPECT_EQ(At(PointList::First, 0), moved);
  EXPECT_TRUE(window->isWindowModified());

  // Нет at a build builds from the files on disk and keeps the edits.
  answers = {SaveAnswer::No};
  Build(BuildCommand::AnaglyphOnSecond);
  ASSERT_TRUE(WaitForQuiet());
  ASSERT_NE(window->LastBuild(), nullptr);
  EXPECT_EQ(window->LastBuild()->Points1().Get(0)->X, *p.X);
  EXPECT_EQ(At(PointList::First, 0), moved);

  // Да saves, then the input set loads again from the saved file.
  answers = {SaveAnswer::Yes};
  LoadProject(project);
  EXPECT_EQ(questions.size(), 6u);
  EXPECT_FALSE(window->isWindowModified());
  EXPECT_EQ(At(PointList::First, 0), moved);
  EXPECT_EQ(ReadPointList(dir.File("left01_8.crd"), NumberFormat::Dot()).Points[0], moved);

  // Without unsaved edits nothing is asked.
  window->close();
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(questions.size(), 6u);
}

TEST_F(PointEditingTest, QuittingWithUnsavedEditsAsksAndOnlyDaWritesTheFiles) {
  LoadEightPoints();
  StartEditing();
  const EditedPoint p = At(PointList::First, 0);
  Drag(1, ScreenOf(1, *p.X, *p.Y), ScreenOf(1, *p.X, *p.Y) + QPoint(10, 0));
  const EditedPoint moved = At(PointList::First, 0);
  ASSERT_NE(moved, p);
  const std::string file = dir.File("left01_8.crd");
  const QString question = QString::fromUtf8(gui::kPointsChangedQuestion);

  // Отмена keeps the program running with the edits; Нет lets it end
  // without writing anything.
  for (const SaveAnswer answer : {SaveAnswer::Cancel, SaveAnswer::No}) {
    answers = {answer};
    EXPECT_EQ(quit.MayQuit(), answer == SaveAnswer::No);
    EXPECT_EQ(At(PointList::First, 0), moved);
    EXPECT_TRUE(window->isWindowModified());
    EXPECT_EQ(ReadPointList(file, NumberFormat::Dot()).Points[0], p);
  }
  // Да saves first; once saved nothing is asked again.
  answers = {SaveAnswer::Yes};
  EXPECT_TRUE(quit.MayQuit());
  EXPECT_EQ(ReadPointList(file, NumberFormat::Dot()).Points[0], moved);
  EXPECT_TRUE(quit.MayQuit());
  EXPECT_EQ(questions, std::vector<QString>(3, question));
}

TEST_F(PointEditingTest, AnUnreadablePointFileIsNamedWithItsLineAndNotEditedOver) {
  ChessboardSet8();
  {
    std::ofstream bad(dir.File("left01_8.crd"), std::ios::binary);
    bad << "1;2\r\n3;oops\r\n";
  }
  LoadProject(dir.File("chessboard_points8.prt"));
  const QString status = Status().StatusField().text();
  EXPECT_TRUE(status.contains("left01_8.crd")) << status.toStdString();
  EXPECT_TRUE(status.contains("строка 2")) << status.toStdString();
  StartEditing();
  Click(1, QPoint(100, 100));
  EXPECT_EQ(Model().Count(PointList::First), 0);
  EXPECT_EQ(Model().Count(PointList::Second), 8);
  Click(2, QPoint(100, 100));
  EXPECT_EQ(Model().Count(PointList::Second), 8);
  EXPECT_FALSE(Action("SavePoints")->isEnabled());
  // Fixed on disk, it is read again and can be edited.
  {
    std::ofstream good(dir.File("left01_8.crd"), std::ios::binary);
    good << "1;2\r\n3;4\r\n";
  }
  ASSERT_TRUE(test::SpinUntil([this] { return Model().Count(PointList::First) == 2; }));
  Click(1, QPoint(100, 100));
  EXPECT_EQ(Model().Count(PointList::First), 3);
}

TEST_F(PointEditingTest, TheResidualPanelIsMarkedStaleWhenAnotherInputSetLoads) {
  LoadEightPoints();
  Build(BuildCommand::AnaglyphOnSecond);
  ASSERT_TRUE(WaitForQuiet());
  ASSERT_EQ(window->Residuals().RowCount(), 8);
  EXPECT_FALSE(window->Residuals().Stale());
  Example("aloe", "aloeL.bmp");
  Example("aloe", "aloeR.bmp");
  Example("aloe", "aloeL.crd");
  Example("aloe", "aloeR.crd");
  LoadProject(Example("aloe", "aloe_points.prt"));
  EXPECT_TRUE(window->Residuals().Stale());
  EXPECT_TRUE(window->Residuals().Summary().startsWith("Устарело")) << window->Residuals().Summary().toStdString();
}

TEST_F(PointEditingTest, TheTableEditorAsksFirstAndShowsWhatTheWorkspaceSaved) {
  LoadEightPoints();
  StartEditing();
  const EditedPoint p = At(PointList::Second, 3);
  Drag(2, ScreenOf(2, *p.X, *p.Y), ScreenOf(2, *p.X, *p.Y) + QPoint(0, 9));
  answers = {SaveAnswer::Yes};
  QTest::mouseDClick(Edit("Edit10"), Qt::LeftButton);
  ASSERT_EQ(questions.size(), 1u);
  ASSERT_EQ(window->Editors().size(), 1u);
  gui::TRedForm& editor = *window->Editors()[0];
  EXPECT_EQ(editor.Model().data(editor.Model().index(3, 2)).toString(),
            Q(FormatNumber(*At(PointList::Second, 3).Y, NumberFormat::Dot())));
  // Saved again from the workspace, the open editor follows.
  const EditedPoint q = At(PointList::Second, 3);
  Drag(2, ScreenOf(2, *q.X, *q.Y), ScreenOf(2, *q.X, *q.Y) + QPoint(0, 5));
  Action("SavePoints")->trigger();
  EXPECT_EQ(questions.size(), 1u);
  EXPECT_EQ(editor.Model().data(editor.Model().index(3, 2)).toString(),
            Q(FormatNumber(*At(PointList::Second, 3).Y, NumberFormat::Dot())));
  EXPECT_NE(*At(PointList::Second, 3).Y, *q.Y);
  EXPECT_FALSE(editor.Modified());
}

TEST_F(PointEditingTest, ANewPairGetsEmptySceneCellsThatTheLiveFitNamesUntilTheyAreTyped) {
  LoadEightPoints();
  StartEditing();
  EXPECT_TRUE(window->PointsDock().isVisible());
  QAbstractItemModel* table = window->findChild<QTableView*>("PointGrid")->model();
  Click(1, QPoint(330, 250));
  Click(2, QPoint(300, 250));
  ASSERT_EQ(table->rowCount(), 9);
  ASSERT_EQ(table->columnCount(), 7);
  EXPECT_EQ(table->index(8, 5).data().toString(), "");
  ASSERT_TRUE(test::SpinUntil([this] { return window->Residuals().Summary().contains("9"); }));
  EXPECT_EQ(window->Residuals().Summary(), "Нет координат сцены у точек 9.");
  // A cell that is no number is refused and keeps its text.
  EXPECT_FALSE(table->setData(table->index(8, 5), "abc"));
  ASSERT_TRUE(table->setData(table->index(8, 5), "75"));
  ASSERT_TRUE(table->setData(table->index(8, 6), "-45"));
  EXPECT_EQ(At(PointList::Scene, 8), (EditedPoint{75, -45}));
  EXPECT_EQ(Action("UndoPoints")->text(), "Отменить: координаты сцены точки 9");
  ASSERT_TRUE(test::SpinUntil([this] { return window->Residuals().RowCount() == 18; }));

  // The build saves first (Да), the scene file with its ninth line.
  answers = {SaveAnswer::Yes};
  Action("WithoutInterpolation")->trigger();
  Build(BuildCommand::AnaglyphOnScene);
  ASSERT_TRUE(WaitForQuiet());
  EXPECT_EQ(ReadPointList(dir.File("scene_8.crd"), NumberFormat::Dot()).Points.size(), 9u);
  ASSERT_NE(window->LastBuild(), nullptr);
  EXPECT_EQ(window->LastBuild()->ScenePoints().Count(), 9);
}

TEST_F(PointEditingTest, AHugePointFileIsReadInTheBackgroundAndOtherFilesOfItsFolderAreNoChange) {
  LoadEightPoints();
  {
    std::ofstream big(dir.File("big.crd"), std::ios::binary);
    for (int i = 0; i < 120000; ++i) big << (i % 640) << ".25 ; " << (i / 640 % 480) << ".75\r\n";
  }
  ASSERT_GT(std::filesystem::file_size(dir.File("big.crd")),
            static_cast<std::uintmax_t>(gui::PointEditor::kBackgroundReadBytes));
  Type("Edit9", "big.crd");
  EXPECT_TRUE(window->Points().Loading());
  EXPECT_TRUE(Status().StatusField().text().startsWith("Чтение файла точек big.crd"))
      << Status().StatusField().text().toStdString();
  ASSERT_TRUE(test::SpinUntil([this] { return !window->Points().Loading(); }));
  EXPECT_EQ(Model().Count(PointList::First), 120000);
  EXPECT_EQ(At(PointList::First, 641), (EditedPoint{1.25, 1.75}));
  EXPECT_LE(View(1).Marks().size(), static_cast<std::size_t>(gui::PointEditor::kMostMarks));

  // An unsaved edit of the other list; a file written beside it changes nothing.
  StartEditing();
  const EditedPoint p = At(PointList::Second, 0);
  Drag(2, ScreenOf(2, *p.X, *p.Y), ScreenOf(2, *p.X, *p.Y) + QPoint(4, 4));
  const EditedPoint moved = At(PointList::Second, 0);
  dir.Write("unrelated.txt", "x");
  QTest::qWait(400);
  EXPECT_EQ(At(PointList::Second, 0), moved);
  EXPECT_TRUE(boxes.Boxes.empty());
}

}  // namespace
}  // namespace vesk
