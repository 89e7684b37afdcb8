#include "table/TableDocument.h"

#include <gtest/gtest.h>

#include <functional>

#include "table/TableMessages.h"

namespace vesk {
namespace {

const NumberFormat kComma = NumberFormat::Comma();

using Lines = std::vector<std::string>;
using Cells = std::vector<std::vector<std::string>>;

// Every row's fixed text and cells, column 0 first.
Cells Contents(const TableDocument& table) {
  Cells rows;
  for (int r = 0; r < table.RowCount(); ++r) {
    std::vector<std::string> row{table.FixedText(r)};
    for (int c = 1; c < table.ColumnCount(); ++c) row.push_back(table.Cell(r, c));
    rows.push_back(row);
  }
  return rows;
}

TableDocument Points(const Cells& cells) {
  TableDocument table(TableKind::PointTable);
  table.Paste(0, 1, cells);
  table.MarkSaved();
  return table;
}

TEST(TableLayoutTest, TitleIsTheBareNameAndTheKind) {
  EXPECT_EQ(TableTitle(TableKind::PointTable, ""), "Untitled Реперные точки");
  EXPECT_EQ(TableTitle(TableKind::PointTable, "/data/set 1/left.crd"), "left.crd Реперные точки");
  EXPECT_EQ(TableTitle(TableKind::CalibrationTable, "left.cam"), "left.cam Внутренняя геометрия");
  EXPECT_EQ(TableTitle(TableKind::ShootingGeometryTable, "/a/b.ort"), "b.ort Внешняя геометрия");
}

TEST(TableDocumentTest, AnEmptyTableHasOneNumberedPointRowOrEveryLineOfItsKind) {
  const TableDocument points(TableKind::PointTable);
  EXPECT_EQ(Contents(points), (Cells{{"1", "", ""}}));
  const TableDocument camera(TableKind::CalibrationTable);
  ASSERT_EQ(camera.RowCount(), 8);
  EXPECT_EQ(camera.FixedText(3), "Фокусное расстояние (пикс.)");
  const TableDocument geometry(TableKind::ShootingGeometryTable);
  ASSERT_EQ(geometry.RowCount(), 21);
  EXPECT_EQ(geometry.FixedText(20), "azz");
  EXPECT_FALSE(points.Modified() || camera.Modified() || geometry.Modified());
}

Lines CameraLines(std::size_t count) {
  Lines lines = {"342,5 ; Координата X",       "233,25   ; Y", "corr 1.txt ; Таблица", " ; Фокусное", "640", "  480;",
                 "abc ; not read as a number", "1;2;3"};
  lines.resize(count, "9 ; extra");
  return lines;
}

TEST(TableDocumentTest, LoadsALineAsItsKindReadsIt) {
  struct Case {
    const char* name;
    TableKind kind;
    Lines lines;
    std::optional<Cells> shown;  // nothing: the file does not open
  } cases[] = {
      {"points in the written form",
       TableKind::PointTable,
       {"1,50;2", " 3 ; 4e1", "-0,0000125;1E20"},
       Cells{{"1", "1,5", "2"}, {"2", "3", "40"}, {"3", "-1,25E-5", "1E20"}}},
      {"an empty coordinate file", TableKind::PointTable, {}, Cells{{"1", "", ""}}},
      {"a point with the other separator", TableKind::PointTable, {"1;2", "1.5;2"}, std::nullopt},
      {"a blank line between points", TableKind::PointTable, {"1;2", "", "3;4"}, std::nullopt},
      {"a third field", TableKind::PointTable, {"1;2;3"}, std::nullopt},
      {"a calibration file: values before ';', trailing blanks dropped, no number conversion",
       TableKind::CalibrationTable, CameraLines(8),
       Cells{{"Координата X центра изображения (пикс.)", "342,5"},
             {"Координата Y центра изображения (пикс.)", "233,25"},
             {"Таблица коррекции", "corr 1.txt"},
             {"Фокусное расстояние (пикс.)", ""},
             {"Ширина изображения (пикс.)", ""},
             {"Высота изображения (пикс.)", "  480"},
             {"Координата X главной точки (пикс.)", "abc"},
             {"Координата Y главной точки (пикс.)", "1"}}},
      {"a calibration file of 6 lines", TableKind::CalibrationTable, CameraLines(6), std::nullopt},
      {"a shooting-geometry file of 20 lines", TableKind::ShootingGeometryTable, Lines(20, "1 ; c"), std::nullopt},
  };
  for (const Case& c : cases) {
    const auto table = TableDocument::FromLines(c.kind, c.lines, kComma);
    ASSERT_EQ(table.has_value(), c.shown.has_value()) << c.name;
    if (!table) continue;
    EXPECT_EQ(Contents(*table), *c.shown) << c.name;
    EXPECT_FALSE(table->Modified()) << c.name;
  }

  // Lines past the last value of a fixed kind are not read.
  Lines geometry(23, "1,5 ; c");
  geometry[20] = "-2 ; azz";
  const auto table = TableDocument::FromLines(TableKind::ShootingGeometryTable, geometry, kComma);
  ASSERT_TRUE(table);
  ASSERT_EQ(table->RowCount(), 21);
  EXPECT_EQ(table->Cell(20, 1), "-2");
}

TEST(TableDocumentTest, RowOperationsKeepTheNumbersConsecutive) {
  const Cells three = {{"1", "2"}, {"3", "4"}, {"5", "6"}};
  struct Case {
    const char* name;
    Cells before;
    std::function<bool(TableDocument&)> operation;
    Cells after;
  } cases[] = {
      {"insert on row 2 of 3",
       three,
       [](TableDocument& t) { return t.InsertRow(1); },
       {{"1", "1", "2"}, {"2", "", ""}, {"3", "3", "4"}, {"4", "5", "6"}}},
      {"insert on the first row",
       three,
       [](TableDocument& t) { return t.InsertRow(0); },
       {{"1", "", ""}, {"2", "1", "2"}, {"3", "3", "4"}, {"4", "5", "6"}}},
      {"append",
       three,
       [](TableDocument& t) { return t.AppendRow(); },
       {{"1", "1", "2"}, {"2", "3", "4"}, {"3", "5", "6"}, {"4", "", ""}}},
      {"delete row 2 of 3", three, [](TableDocument& t) { return t.DeleteRow(1); }, {{"1", "1", "2"}, {"2", "5", "6"}}},
      {"delete the last row",
       three,
       [](TableDocument& t) { return t.DeleteRow(2); },
       {{"1", "1", "2"}, {"2", "3", "4"}}},
      {"delete the only row", {{"7", "8"}}, [](TableDocument& t) { return t.DeleteRow(0); }, {{"1", "", ""}}},
      {"clear", three, [](TableDocument& t) { return t.Clear(); }, {{"1", "", ""}}},
      {"no current row inserts at the top",
       three,
       [](TableDocument& t) { return t.InsertRow(-1); },
       {{"1", "", ""}, {"2", "1", "2"}, {"3", "3", "4"}, {"4", "5", "6"}}},
  };
  for (const Case& c : cases) {
    TableDocument table = Points(c.before);
    ASSERT_FALSE(table.Modified());
    EXPECT_TRUE(c.operation(table)) << c.name;
    EXPECT_EQ(Contents(table), c.after) << c.name;
    EXPECT_TRUE(table.Modified()) << c.name;
  }
}

TEST(TableDocumentTest, FixedRowSetsRefuseRowOperations) {
  for (TableKind kind : {TableKind::CalibrationTable, TableKind::ShootingGeometryTable}) {
    TableDocument table(kind);
    table.SetCell(0, 1, "5");
    table.MarkSaved();
    const Cells before = Contents(table);
    EXPECT_FALSE(table.InsertRow(0));
    EXPECT_FALSE(table.AppendRow());
    EXPECT_FALSE(table.DeleteRow(0));
    EXPECT_FALSE(table.Clear());
    EXPECT_EQ(Contents(table), before);
    EXPECT_FALSE(table.Modified());
  }
}

TableDocument Camera(const std::vector<std::string>& values) {
  TableDocument table(TableKind::CalibrationTable);
  for (int r = 0; r < 8; ++r) table.SetCell(r, 1, values[static_cast<std::size_t>(r)]);
  return table;
}

TEST(TableDocumentTest, BuildsTheLinesOrStopsAtTheFirstCellThatDoesNotConvert) {
  TableDocument geometry(TableKind::ShootingGeometryTable);
  for (int r = 0; r < 21; ++r) geometry.SetCell(r, 1, std::to_string(r) + ",50");
  geometry.SetCell(4, 1, "");
  TableDocument badGeometry = geometry;
  badGeometry.SetCell(20, 1, "1.5");

  struct Case {
    const char* name;
    TableDocument table;
    Lines lines;        // when it builds
    std::string error;  // when it does not
    int errorRow = -1;
    int errorColumn = -1;
  } cases[] = {
      {"the empty point table", TableDocument(TableKind::PointTable), {}, PointTableRowError(1), 0, 1},
      {"points in the written form", Points({{" 1,50 ", "-2"}, {"1e-7", "0,0001"}}), {"1,5 ; -2", "1E-7 ; 0,0001"}, ""},
      {"abc in column 2 of row 3",
       Points({{"1", "2"}, {"3", "4"}, {"5", "abc"}, {"x", "y"}}),
       {},
       PointTableRowError(3),
       2,
       2},
      {"an empty x", Points({{"1", "2"}, {"", "4"}}), {}, PointTableRowError(2), 1, 1},
      {"calibration: table name as typed, empty focal length, blank, normalised numbers",
       Camera({"342,50", "233", " corr 1.txt ", "", "640", " ", "1E3", "-0"}),
       {"342,5 ; Координата X центра изображения", "233 ; Координата Y центра изображения",
        " corr 1.txt  ; Таблица коррекции", " ; Фокусное расстояние", "640 ; Размер изображения по горизонтали",
        " ; Размер изображения по вертикали", "1000 ; Координата X главной точки", "0 ; Координата Y главной точки"},
       ""},
      {"calibration with a bad width",
       Camera({"1", "2", "t", "4", "6 4 0", "6", "7", "8"}),
       {},
       kCalibrationTableError,
       4,
       1},
      {"an empty correction-table name is written as it stands",
       Camera({"1", "2", "", "4", "5", "6", "7", "8"}),
       {"1 ; Координата X центра изображения", "2 ; Координата Y центра изображения", " ; Таблица коррекции",
        "4 ; Фокусное расстояние", "5 ; Размер изображения по горизонтали", "6 ; Размер изображения по вертикали",
        "7 ; Координата X главной точки", "8 ; Координата Y главной точки"},
       ""},
      {"geometry with the wrong separator", badGeometry, {}, kShootingGeometryTableError, 20, 1},
  };
  for (const Case& c : cases) {
    const TableLines built = c.table.BuildLines(kComma);
    EXPECT_EQ(built.Error, c.error) << c.name;
    EXPECT_EQ(built.Lines, c.lines) << c.name;
    EXPECT_EQ(built.ErrorRow, c.errorRow) << c.name;
    EXPECT_EQ(built.ErrorColumn, c.errorColumn) << c.name;
  }

  // An empty geometry cell saves without complaint, as a bare comment.
  const TableLines built = geometry.BuildLines(kComma);
  ASSERT_TRUE(built.Ok());
  ASSERT_EQ(built.Lines.size(), 21u);
  EXPECT_EQ(built.Lines[0], "0,5 ; Координата X центра проекции в системе координат сцены");
  EXPECT_EQ(built.Lines[4], " ; Координата Y точки визирования в системе координат сцены");
  EXPECT_EQ(built.Lines[20], "20,5 ; azz");
}

TEST(TableDocumentTest, FlagsExactlyTheCellsThatWouldStopSaving) {
  TableDocument points(TableKind::PointTable);
  points.AppendRow();
  points.SetCell(0, 1, "1,5");
  points.SetCell(0, 2, "1.5");
  points.SetCell(1, 1, "");
  EXPECT_FALSE(points.CellFlagged(0, 1, kComma));
  EXPECT_TRUE(points.CellFlagged(0, 2, kComma));
  EXPECT_TRUE(points.CellFlagged(1, 1, kComma)) << "emptied by the user";
  EXPECT_FALSE(points.CellFlagged(1, 2, kComma)) << "never touched";
  EXPECT_FALSE(points.CellFlagged(0, 0, kComma)) << "the fixed column";

  TableDocument camera = Camera({"", " ", "a;b", "x", "1,5", "1.5", "", ""});
  camera.SetCell(2, 1, "corr\r\n1.txt");
  EXPECT_EQ(camera.Cell(2, 1), "corr  1.txt") << "a cell never breaks its line";
  const bool flagged[8] = {false, false, false, true, false, true, false, false};
  for (int r = 0; r < 8; ++r) EXPECT_EQ(camera.CellFlagged(r, 1, kComma), flagged[r]) << "row " << r;
  for (int r = 0; r < 8; ++r) {
    if (!flagged[r]) continue;
    EXPECT_EQ(camera.BuildLines(kComma).ErrorRow, r);
    camera.SetCell(r, 1, "1");
  }
  EXPECT_TRUE(camera.BuildLines(kComma).Ok());
}

TEST(TableDocumentTest, PasteFillsRowsFromTheCurrentCell) {
  struct Case {
    const char* name;
    TableKind kind;
    int row, column;
    Cells block;
    int added;
    Cells after;  // data cells only
  } cases[] = {
      {"grows a point table",
       TableKind::PointTable,
       1,
       1,
       {{"1", "2"}, {"3", "4"}, {"5", "6"}},
       2,
       {{"a", "b"}, {"1", "2"}, {"3", "4"}, {"5", "6"}}},
      {"starts in column 2, drops what lies right of the last column",
       TableKind::PointTable,
       0,
       2,
       {{"1", "2", "3"}, {"4"}},
       0,
       {{"a", "1"}, {"c", "4"}}},
      {"the fixed column is taken as column 1", TableKind::PointTable, 1, 0, {{"7", "8"}}, 0, {{"a", "b"}, {"7", "8"}}},
      {"a fixed kind drops rows beyond its last",
       TableKind::CalibrationTable,
       6,
       1,
       {{"1", "x"}, {"2"}, {"3"}},
       0,
       {{"a"}, {"c"}, {""}, {""}, {""}, {""}, {"1"}, {"2"}}},
  };
  for (const Case& c : cases) {
    TableDocument table(c.kind);
    if (c.kind == TableKind::PointTable) table.AppendRow();
    table.SetCell(0, 1, "a");
    table.SetCell(0, 2, "b");
    table.SetCell(1, 1, "c");
    table.SetCell(1, 2, "d");
    table.MarkSaved();
    EXPECT_EQ(table.RowsAddedByPaste(c.row, c.block), c.added) << c.name;
    EXPECT_EQ(table.Paste(c.row, c.column, c.block), c.added) << c.name;
    EXPECT_TRUE(table.Modified()) << c.name;
    Cells cells;
    for (int r = 0; r < table.RowCount(); ++r) {
      cells.emplace_back();
      for (int col = 1; col < table.ColumnCount(); ++col) cells.back().push_back(table.Cell(r, col));
    }
    EXPECT_EQ(cells, c.after) << c.name;
    if (c.kind == TableKind::PointTable) {
      EXPECT_EQ(table.FixedText(table.RowCount() - 1), std::to_string(table.RowCount())) << c.name;
    }
  }
}

}  // namespace
}  // namespace vesk
