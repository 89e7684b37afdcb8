#include "editing/PointEditModel.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>

#include "editing/PointListFile.h"
#include "files/CoordinateFile.h"
#include "support/TempDir.h"

namespace vesk {
namespace {

using Lists = std::array<std::vector<EditedPoint>, 3>;

EditedPoint P(double x, double y) { return EditedPoint{x, y}; }
const EditedPoint kEmpty{};

Lists Contents(const PointEditModel& model) {
  return {model.Points(PointList::First), model.Points(PointList::Second), model.Points(PointList::Scene)};
}

// Three aligned pairs with their scene points.
PointEditModel ThreePairs() {
  PointEditModel model;
  model.SetSceneInSet(true);
  model.Load(PointList::First, {P(10, 20), P(30.25, 40), P(50, 60)});
  model.Load(PointList::Second, {P(11, 21), P(31, 41), P(51, 61)});
  model.Load(PointList::Scene, {P(0, 0), P(30, 0), P(60, 0)});
  return model;
}

struct EditCase {
  const char* name;
  std::function<PointEditModel()> start;
  // Builds and applies the edits of the case, returning them in order.
  std::function<std::vector<PointEdit>(PointEditModel&)> edit;
  Lists expected;
  std::string text;  // of the last edit
};

PointEdit Applied(PointEditModel& model, PointEdit edit) {
  model.Apply(edit);
  return edit;
}

class PointEditCaseTest : public ::testing::TestWithParam<EditCase> {};

// Every case gives the expected lists; undoing its edits, last first, gives
// back the lists it started from exactly, and redoing them the same result.
TEST_P(PointEditCaseTest, AppliesRevertsAndReappliesExactly) {
  const EditCase& c = GetParam();
  PointEditModel model = c.start();
  const Lists start = Contents(model);
  const std::vector<PointEdit> edits = c.edit(model);
  ASSERT_FALSE(edits.empty());
  EXPECT_EQ(Contents(model), c.expected);
  EXPECT_EQ(edits.back().Text, c.text);
  for (auto it = edits.rbegin(); it != edits.rend(); ++it) model.Revert(*it);
  EXPECT_EQ(Contents(model), start);
  for (const PointEdit& edit : edits) model.Apply(edit);
  EXPECT_EQ(Contents(model), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Edits, PointEditCaseTest,
    ::testing::Values(
        EditCase{"FirstClickStartsAPairWithAnEmptyScenePoint", ThreePairs,
                 [](PointEditModel& m) { return std::vector{Applied(m, m.Place(PointList::First, 70.5, 80.5))}; },
                 {{{P(10, 20), P(30.25, 40), P(50, 60), P(70.5, 80.5)},
                   {P(11, 21), P(31, 41), P(51, 61)},
                   {P(0, 0), P(30, 0), P(60, 0), kEmpty}}},
                 "добавление точки 4"},
        EditCase{"AClickOnTheOtherPhotographCompletesThePair", ThreePairs,
                 [](PointEditModel& m) {
                   PointEdit a = Applied(m, m.Place(PointList::Second, 71, 81));
                   return std::vector{a, Applied(m, m.Place(PointList::First, 70, 80))};
                 },
                 {{{P(10, 20), P(30.25, 40), P(50, 60), P(70, 80)},
                   {P(11, 21), P(31, 41), P(51, 61), P(71, 81)},
                   {P(0, 0), P(30, 0), P(60, 0), kEmpty}}},
                 "добавление точки 4"},
        EditCase{"ASecondClickOnTheSamePhotographPlacesTheAwaitedPointAnew", ThreePairs,
                 [](PointEditModel& m) {
                   PointEdit a = Applied(m, m.Place(PointList::First, 70, 80));
                   return std::vector{a, Applied(m, m.Place(PointList::First, 72, 82))};
                 },
                 {{{P(10, 20), P(30.25, 40), P(50, 60), P(72, 82)},
                   {P(11, 21), P(31, 41), P(51, 61)},
                   {P(0, 0), P(30, 0), P(60, 0), kEmpty}}},
                 "перемещение точки 4"},
        EditCase{"MoveChangesOnePointOnly", ThreePairs,
                 [](PointEditModel& m) { return std::vector{Applied(m, m.Move(PointList::Second, 1, 31.125, 41.0625))}; },
                 {{{P(10, 20), P(30.25, 40), P(50, 60)},
                   {P(11, 21), P(31.125, 41.0625), P(51, 61)},
                   {P(0, 0), P(30, 0), P(60, 0)}}},
                 "перемещение точки 2"},
        EditCase{"DeleteRenumbersAllThreeLists", ThreePairs,
                 [](PointEditModel& m) { return std::vector{Applied(m, m.Delete(1))}; },
                 {{{P(10, 20), P(50, 60)}, {P(11, 21), P(51, 61)}, {P(0, 0), P(60, 0)}}},
                 "удаление точки 2"},
        EditCase{"AnIncompletePairCanBeDeleted", ThreePairs,
                 [](PointEditModel& m) {
                   PointEdit a = Applied(m, m.Place(PointList::First, 70, 80));
                   return std::vector{a, Applied(m, m.Delete(3))};
                 },
                 {{{P(10, 20), P(30.25, 40), P(50, 60)},
                   {P(11, 21), P(31, 41), P(51, 61)},
                   {P(0, 0), P(30, 0), P(60, 0)}}},
                 "удаление точки 4"},
        EditCase{"SceneCellsOfANewPair", ThreePairs,
                 [](PointEditModel& m) {
                   PointEdit a = Applied(m, m.Place(PointList::First, 70, 80));
                   PointEdit b = Applied(m, m.Place(PointList::Second, 71, 81));
                   return std::vector{a, b, Applied(m, m.SetScene(3, EditedPoint{90, std::nullopt}))};
                 },
                 {{{P(10, 20), P(30.25, 40), P(50, 60), P(70, 80)},
                   {P(11, 21), P(31, 41), P(51, 61), P(71, 81)},
                   {P(0, 0), P(30, 0), P(60, 0), EditedPoint{90, std::nullopt}}}},
                 "координаты сцены точки 4"},
        EditCase{"WithoutASceneListPlacingTouchesThePhotographsOnly",
                 [] { return PointEditModel(); },
                 [](PointEditModel& m) { return std::vector{Applied(m, m.Place(PointList::Second, 0.5, 0.5))}; },
                 {{{}, {P(0.5, 0.5)}, {}}}, "добавление точки 1"}),
    [](const ::testing::TestParamInfo<EditCase>& info) { return std::string(info.param.name); });

TEST(PointEditModelTest, TheAwaitedPhotographAndThePairsFollowTheClicks) {
  PointEditModel model;
  EXPECT_FALSE(model.Awaited());
  model.Apply(model.Place(PointList::First, 1, 1));
  ASSERT_TRUE(model.Awaited());
  EXPECT_EQ(model.Awaited()->Photo, PointList::Second);
  EXPECT_EQ(model.Awaited()->Index, 0);
  EXPECT_EQ(model.CompletePairs(), 0);
  model.Apply(model.Place(PointList::Second, 2, 2));
  EXPECT_FALSE(model.Awaited());
  EXPECT_EQ(model.CompletePairs(), 1);
  // The next pair may start on the second photograph too.
  model.Apply(model.Place(PointList::Second, 3, 3));
  EXPECT_EQ(model.Awaited()->Photo, PointList::First);
  EXPECT_EQ(model.Awaited()->Index, 1);
}

TEST(PointEditModelTest, ChangedFollowsTheContentsSoUndoingToTheSavedStateIsClean) {
  PointEditModel model = ThreePairs();
  EXPECT_FALSE(model.AnyChanged());
  const PointEdit move = model.Move(PointList::First, 0, 10.5, 20);
  model.Apply(move);
  EXPECT_TRUE(model.Changed(PointList::First));
  EXPECT_FALSE(model.Changed(PointList::Second));
  model.Revert(move);
  EXPECT_FALSE(model.AnyChanged());
  model.Apply(move);
  model.MarkSaved(PointList::First);
  EXPECT_FALSE(model.AnyChanged());
  model.Revert(move);  // back to what is no longer on disk
  EXPECT_TRUE(model.Changed(PointList::First));
}

TEST(PointEditModelTest, NoEditForAMoveToTheSamePlaceOrAPointNoListHas) {
  PointEditModel model = ThreePairs();
  EXPECT_TRUE(model.Move(PointList::First, 0, 10, 20).Empty());
  EXPECT_TRUE(model.Move(PointList::First, 3, 1, 2).Empty());
  EXPECT_TRUE(model.Delete(3).Empty());
  EXPECT_TRUE(model.Delete(-1).Empty());
}

TEST(PointEditModelTest, NearestIsWithinTheRadiusAndTheClosestWins) {
  PointEditModel model = ThreePairs();
  EXPECT_EQ(model.Nearest(PointList::First, 12, 20, 2), 0);      // on the radius
  EXPECT_EQ(model.Nearest(PointList::First, 12.01, 20, 2), -1);  // just outside
  EXPECT_EQ(model.Nearest(PointList::First, 40, 50, 100), 1);    // (30.25, 40) is nearer than (50, 60)
  EXPECT_EQ(model.Nearest(PointList::Second, 40, 50, 1), -1);
}

TEST(PointEditModelTest, MissingScenePointsAreThoseOfCompletePairs) {
  PointEditModel model = ThreePairs();
  model.Load(PointList::Scene, {P(0, 0)});
  model.Apply(model.Place(PointList::First, 70, 80));  // incomplete: not counted
  EXPECT_EQ(model.MissingScene(), (std::vector<int>{1, 2}));
  EXPECT_EQ(PointNumbers(model.MissingScene()), "2, 3");
}

TEST(PointListFileTest, ASavedListReadsBackToTheSameValues) {
  test::TempDir dir;
  const std::string path = dir.File("points.crd");
  const std::vector<EditedPoint> points = {P(0.5, 479.5), P(1.0 / 3, -2.25e-7), P(123456.789, 1e20)};
  for (const NumberFormat& format : {NumberFormat::Dot(), NumberFormat{','}}) {
    ASSERT_FALSE(SavePointList(points, path, format));
    const PointListRead read = ReadPointList(path, format);
    ASSERT_FALSE(read.Failure);
    // The written form keeps 15 significant digits.
    ASSERT_EQ(read.Points.size(), points.size());
    for (std::size_t i = 0; i < points.size(); ++i) {
      EXPECT_NEAR(*read.Points[i].X, *points[i].X, std::abs(*points[i].X) * 1e-14);
      EXPECT_NEAR(*read.Points[i].Y, *points[i].Y, std::abs(*points[i].Y) * 1e-14);
    }
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    EXPECT_EQ(bytes.str().substr(0, 13), format.DecimalSeparator == '.' ? "0.5 ; 479.5\r\n" : "0,5 ; 479,5\r\n");
  }
}

TEST(PointListFileTest, AListWithAnEmptyCellIsNotWrittenAndTheOldFileStays) {
  test::TempDir dir;
  const std::string path = dir.File("scene.crd");
  { std::ofstream(path) << "1;2\r\n"; }
  const auto failure = SavePointList({P(1, 2), EditedPoint{5, std::nullopt}, kEmpty}, path, NumberFormat::Dot());
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->Incomplete, (std::vector<int>{1, 2}));
  EXPECT_EQ(ReadPointList(path, NumberFormat::Dot()).Points, (std::vector<EditedPoint>{P(1, 2)}));
}

TEST(PointListFileTest, AFileThatFailsToReadGivesNoPointsToEditAndNamesTheLine) {
  test::TempDir dir;
  const std::string path = dir.File("bad.crd");
  { std::ofstream(path) << "1;2\r\n3;x\r\n5;6\r\n"; }
  const PointListRead read = ReadPointList(path, NumberFormat::Dot());
  ASSERT_TRUE(read.Failure);
  EXPECT_EQ(read.Failure->Line, 2);
  EXPECT_TRUE(read.Points.empty());
}

}  // namespace
}  // namespace vesk
