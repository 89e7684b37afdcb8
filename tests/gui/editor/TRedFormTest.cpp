#include "gui/editor/TRedForm.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTableView>
#include <QTest>
#include <QToolBar>
#include <csignal>
#include <filesystem>
#include <functional>

#include "files/CoordinateFile.h"
#include "files/OrientationFiles.h"
#include "files/TextFile.h"
#include "gui/common/WindowPlacement.h"
#include "gui/editor/TableModel.h"
#include "support/FileSizeLimit.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"

// Readable failures.
void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace vesk {
namespace {

using gui::TRedForm;

QString Q(const std::string& text) { return QString::fromStdString(text); }

class TRedFormTest : public ::testing::Test {
 protected:
  void SetUp() override { folder_ = QDir::currentPath(); }
  // Saving moves the current folder to the chosen file's folder.
  void TearDown() override { QDir::setCurrent(folder_); }

  TRedForm& Open(const QString& path, TableKind kind, NumberFormat format = NumberFormat::Comma()) {
    context_.Format = format;
    form_ = std::make_unique<TRedForm>(context_);
    opened_ = form_->OpenTable(path, kind);
    return *form_;
  }
  // A point table holding these cells, as if typed in.
  TRedForm& OpenPoints(const std::vector<std::vector<QString>>& rows) {
    TRedForm& form = Open(QString(), TableKind::PointTable);
    for (std::size_t r = 1; r < rows.size(); ++r) Action("AppendRowAction")->trigger();
    for (std::size_t r = 0; r < rows.size(); ++r) {
      for (std::size_t c = 0; c < rows[r].size(); ++c)
        SetCell(static_cast<int>(r), static_cast<int>(c) + 1, rows[r][c]);
    }
    return form;
  }

  QTableView* Grid() { return form_->findChild<QTableView*>("StringGrid1"); }
  QAction* Action(const char* name) { return form_->findChild<QAction*>(name); }
  QString Cell(int row, int column) { return form_->Model().index(row, column).data().toString(); }
  void SetCell(int row, int column, const QString& text) {
    form_->Model().setData(form_->Model().index(row, column), text);
  }
  std::vector<std::vector<QString>> Rows() {
    std::vector<std::vector<QString>> rows;
    for (int r = 0; r < form_->Model().rowCount(); ++r) {
      rows.emplace_back();
      for (int c = 0; c < form_->Model().columnCount(); ++c) rows.back().push_back(Cell(r, c));
    }
    return rows;
  }
  void SetCurrent(int row, int column) { Grid()->setCurrentIndex(form_->Model().index(row, column)); }

  test::TempDir dir_;
  test::ScriptedFileDialogs files_;
  test::RecordingMessageBoxes boxes_;
  gui::GuiContext context_{files_, boxes_, NumberFormat::Comma(), {}, 0};
  std::unique_ptr<TRedForm> form_;
  bool opened_ = false;

 private:
  QString folder_;
};

TEST_F(TRedFormTest, EachKindGetsItsWindowColumnsAndCommands) {
  struct Case {
    TableKind kind;
    const char* title;
    QSize size;
    std::vector<int> widths;
    bool headerRow;
    int rowHeight;
    int rows;
    const char* filter;
    const char* suffix;
  } cases[] = {
      {TableKind::PointTable,
       "Untitled Реперные точки",
       {300, 500},
       {50, 100, 100},
       true,
       20,
       1,
       "Coordinate Files (*.crd);;All Files (*)",
       "crd"},
      {TableKind::CalibrationTable,
       "Untitled Внутренняя геометрия",
       {520, 290},
       {290, 200},
       false,
       24,
       8,
       "Cam Files (*.cam);;All Files (*)",
       "cam"},
      {TableKind::ShootingGeometryTable,
       "Untitled Внешняя геометрия",
       {410, 500},
       {260, 110},
       false,
       24,
       21,
       "Orientation Files (*.ort);;All Files (*)",
       "ort"},
  };
  for (const Case& c : cases) {
    TRedForm& form = Open(QString(), c.kind);
    ASSERT_TRUE(opened_);
    EXPECT_EQ(form.windowTitle(), QString::fromUtf8(c.title));
    EXPECT_EQ(form.size(), c.size) << c.title;
    EXPECT_EQ(form.minimumSize(), QSize(300, 200));
    ASSERT_EQ(form.Model().columnCount(), static_cast<int>(c.widths.size()));
    for (std::size_t col = 0; col < c.widths.size(); ++col) {
      EXPECT_EQ(Grid()->columnWidth(static_cast<int>(col)), c.widths[col]) << c.title << " column " << col;
    }
    EXPECT_EQ(!Grid()->horizontalHeader()->isHidden(), c.headerRow) << c.title;
    EXPECT_EQ(Grid()->rowHeight(0), c.rowHeight) << c.title;
    EXPECT_EQ(form.Model().rowCount(), c.rows) << c.title;
    EXPECT_FALSE(form.Model().flags(form.Model().index(0, 0)) & Qt::ItemIsEditable);
    EXPECT_TRUE(form.Model().flags(form.Model().index(0, 1)) & Qt::ItemIsEditable);
    for (const char* name : {"InsertRowButton", "AppendRowButton", "DeleteRowButton", "ClearButton"}) {
      EXPECT_EQ(form.findChild<QWidget*>(name)->isEnabled(), c.kind == TableKind::PointTable) << c.title << " " << name;
    }
    EXPECT_FALSE(form.Modified());
    // Each kind opens whole on the screen.
    form.show();
    EXPECT_TRUE(gui::AvailableArea(form).contains(form.frameGeometry())) << c.title;
    EXPECT_EQ(form.size(), c.size) << c.title << ": fits, so not shrunk";

    boxes_.Boxes.clear();
    files_.Calls.clear();
    SetCell(0, 1, "1");
    SetCell(0, 2, "2");
    form.SaveTable();
    ASSERT_EQ(files_.Calls.size(), 1u) << c.title;
    EXPECT_EQ(files_.Calls[0].Request.Filter, QString::fromUtf8(c.filter));
    EXPECT_EQ(files_.Calls[0].Request.DefaultSuffix, QString::fromUtf8(c.suffix));
  }
  Open(QString(), TableKind::PointTable);
  EXPECT_EQ(Rows(), (std::vector<std::vector<QString>>{{"1", "", ""}}));
  EXPECT_EQ(Grid()->model()->headerData(1, Qt::Horizontal).toString(), "x");

  QMenu* fileMenu = form_->menuBar()->findChild<QMenu*>("FileMenu");
  ASSERT_NE(fileMenu, nullptr);
  EXPECT_EQ(fileMenu->title(), "Файл");
  const auto items = fileMenu->actions();
  ASSERT_EQ(items.size(), 3);
  EXPECT_EQ(items[0], Action("SaveAction"));
  EXPECT_TRUE(items[1]->isSeparator());
  EXPECT_EQ(items[2]->text(), "Выход");
  EXPECT_EQ(Action("SaveAction")->shortcut(), QKeySequence(QKeySequence::Save));

  QToolBar* tools = form_->findChild<QToolBar*>("ToolBar1");
  ASSERT_NE(tools, nullptr);
  QStringList hints;
  for (QAction* action : tools->actions()) {
    if (!action->isSeparator()) hints << action->toolTip();
  }
  EXPECT_EQ(hints, (QStringList{"Сохранить", "Добавить", "Добавить в конец", "Удалить", "Очистить"}));
}

TEST_F(TRedFormTest, OpeningAFileThatDoesNotFitTheKindFailsWithTheOneMessage) {
  std::string camera;
  for (int i = 0; i < 6; ++i) camera += "1 ; c\r\n";
  struct Case {
    const char* name;
    QString path;
    TableKind kind;
  } cases[] = {
      {"a calibration file of 6 lines", Q(dir_.Write("six.cam", camera)), TableKind::CalibrationTable},
      {"a missing file", Q(dir_.File("none.crd")), TableKind::PointTable},
      {"a folder", Q(dir_.Path().string()), TableKind::PointTable},
      {"a point that does not convert", Q(dir_.Write("bad.crd", "1,5;2\r\n1.5;2\r\n")), TableKind::PointTable},
  };
  for (const Case& c : cases) {
    boxes_.Boxes.clear();
    TRedForm& form = Open(c.path, c.kind);
    EXPECT_FALSE(opened_) << c.name;
    EXPECT_FALSE(form.isVisible()) << c.name;
    ASSERT_EQ(boxes_.Boxes.size(), 1u) << c.name;
    EXPECT_EQ(boxes_.Boxes[0].Owner, &form) << c.name;
    EXPECT_EQ(boxes_.Boxes[0].Caption, "Ошибка!") << c.name;
    EXPECT_EQ(boxes_.Boxes[0].Text, "Внутренняя ошибка. Обратитесь к разработчику.") << c.name;
  }
}

TEST_F(TRedFormTest, RowCommandsWorkOnTheCurrentRow) {
  using Table = std::vector<std::vector<QString>>;
  const Table three = {{"1", "2"}, {"3", "4"}, {"5", "6"}};
  struct Case {
    const char* name;
    Table before;
    int currentRow;
    const char* action;
    Table after;
    int currentAfter;
  } cases[] = {
      {"insert on row 2 of 3",
       three,
       1,
       "InsertRowAction",
       {{"1", "1", "2"}, {"2", "", ""}, {"3", "3", "4"}, {"4", "5", "6"}},
       1},
      {"delete the only row", {{"7", "8"}}, 0, "DeleteRowAction", {{"1", "", ""}}, 0},
      {"delete the last row", three, 2, "DeleteRowAction", {{"1", "1", "2"}, {"2", "3", "4"}}, 1},
      {"append", {{"7", "8"}}, 0, "AppendRowAction", {{"1", "7", "8"}, {"2", "", ""}}, 0},
      {"clear", three, 2, "ClearAction", {{"1", "", ""}}, 0},
  };
  for (const Case& c : cases) {
    TRedForm& form = OpenPoints(c.before);
    form.Model().MarkSaved();
    SetCurrent(c.currentRow, 2);
    Action(c.action)->trigger();
    EXPECT_EQ(Rows(), c.after) << c.name;
    EXPECT_EQ(Grid()->currentIndex().row(), c.currentAfter) << c.name;
    EXPECT_TRUE(form.Modified()) << c.name;
  }
}

TEST_F(TRedFormTest, SavingStopsAtACellThatDoesNotConvertAndKeepsTheChanges) {
  struct Case {
    const char* name;
    std::function<void()> fill;  // opens the table
    const char* message;
    int row, column;  // where the cursor goes
  } cases[] = {
      {"the empty point table", [this] { Open(QString(), TableKind::PointTable); },
       "Ошибка в 1-й строке координат изображения!", 0, 1},
      {"abc in column 2 of row 3",
       [this] {
         OpenPoints({{"1", "2"}, {"3", "4"}, {"5", "abc"}, {"x", "y"}});
       },
       "Ошибка в 3-й строке координат изображения!", 2, 2},
      {"a bad calibration value",
       [this] {
         Open(QString(), TableKind::CalibrationTable);
         SetCell(5, 1, "4 8 0");
       },
       "Ошибка в калибровочных данных!", 5, 1},
      {"a bad geometry value",
       [this] {
         Open(QString(), TableKind::ShootingGeometryTable);
         SetCell(12, 1, "0.5");
       },
       "Ошибка в параметрах внешней геометрии!", 12, 1},
  };
  for (const Case& c : cases) {
    c.fill();
    form_->Model().MarkModified();
    boxes_.Boxes.clear();
    files_.Calls.clear();
    EXPECT_FALSE(form_->SaveTable()) << c.name;
    EXPECT_TRUE(files_.Calls.empty()) << c.name << ": no dialog";
    ASSERT_EQ(boxes_.Boxes.size(), 1u) << c.name;
    EXPECT_EQ(boxes_.Boxes[0].Caption, "Vesk");
    EXPECT_EQ(boxes_.Boxes[0].Icon, MessageIcon::Information);
    EXPECT_EQ(boxes_.Boxes[0].Text, QString::fromUtf8(c.message)) << c.name;
    EXPECT_EQ(Grid()->currentIndex(), form_->Model().index(c.row, c.column)) << c.name << ": the cursor goes there";
    EXPECT_TRUE(form_->Modified()) << c.name;
  }
  EXPECT_TRUE(std::filesystem::is_empty(dir_.Path()));
}

TEST_F(TRedFormTest, SavesThroughTheKindsDialogWithCrLfLines) {
  const std::string old = dir_.Write("left.crd", "1;2\r\n");
  TRedForm& form = Open(Q(old), TableKind::PointTable);
  ASSERT_TRUE(opened_);
  EXPECT_EQ(form.windowTitle(), "left.crd Реперные точки");
  Action("AppendRowAction")->trigger();
  SetCell(1, 1, "-0,50");
  SetCell(1, 2, "1e-7");
  const std::string chosen = dir_.File("other.crd");
  files_.Answer(Q(chosen));
  EXPECT_TRUE(form.SaveTable());
  ASSERT_EQ(files_.Calls.size(), 1u);
  EXPECT_EQ(files_.Calls[0].What, test::ScriptedFileDialogs::Kind::Save);
  EXPECT_EQ(files_.Calls[0].Request.ProposedName, Q(old));
  EXPECT_EQ(dir_.Read("other.crd"), "1 ; 2\r\n-0,5 ; 1E-7\r\n");
  EXPECT_EQ(dir_.Read("left.crd"), "1;2\r\n");
  EXPECT_EQ(form.FilePath(), Q(old)) << "saving elsewhere keeps the path";
  EXPECT_FALSE(form.Modified());
  EXPECT_TRUE(boxes_.Boxes.empty());
  EXPECT_EQ(QDir::current(), QDir(Q(dir_.Path().string()))) << "the dialog moved the current folder";

  form.show();
  EXPECT_TRUE(form.close()) << "nothing to ask after a save";
  EXPECT_TRUE(boxes_.Boxes.empty());
  EXPECT_FALSE(form.isVisible());
}

TEST_F(TRedFormTest, AnEmptyFocalLengthSavesAsABareCommentThatReadsAsNone) {
  dir_.Write("corr.txt", "1\r\n");
  Open(QString(), TableKind::CalibrationTable);
  const char* values[] = {"342,5", "233", "corr.txt", "", "640", "480", "", ""};
  for (int r = 0; r < 8; ++r) SetCell(r, 1, values[r]);
  files_.Answer(Q(dir_.File("new.cam")));
  ASSERT_TRUE(form_->SaveTable());
  std::vector<std::string> lines;
  ASSERT_TRUE(LoadTextLines(dir_.File("new.cam"), lines));
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[3], " ; Фокусное расстояние");
  CameraGeometry camera;
  ASSERT_FALSE(ReadCameraFile(dir_.File("new.cam"), camera, NumberFormat::Comma()));
  EXPECT_EQ(camera.FocalLength, -1);
  EXPECT_EQ(camera.CentreX, 342.5);
}

TEST_F(TRedFormTest, AKeyPressedInTheGridMarksTheTableModifiedAndClosingAsks) {
  TRedForm& form = OpenPoints({{"1", "2"}, {"3", "4"}});
  form.Model().MarkSaved();
  form.show();
  QTest::keyClick(Grid(), Qt::Key_Down);
  EXPECT_TRUE(form.Modified());
  boxes_.AnswerNo();
  EXPECT_TRUE(form.close());
  ASSERT_EQ(boxes_.Boxes.size(), 1u);
  EXPECT_TRUE(boxes_.Boxes[0].Question);
  EXPECT_EQ(boxes_.Boxes[0].Owner, &form);
  EXPECT_EQ(boxes_.Boxes[0].Caption, "Предупреждение");
  EXPECT_EQ(boxes_.Boxes[0].Text, "Данные не сохранены. Сохранить?");
  EXPECT_FALSE(form.isVisible()) << "No closes without saving";
  EXPECT_TRUE(files_.Calls.empty());
}

TEST_F(TRedFormTest, ASaveThatWroteNothingLeavesTheChangesUnsaved) {
  struct Case {
    const char* name;
    std::function<void()> spoil;  // makes the save fail
    std::function<void()> mend;   // makes the next one succeed
  } cases[] = {
      {"a cell that does not convert", [this] { SetCell(0, 2, "abc"); }, [this] { SetCell(0, 2, "2"); }},
      {"the dialog cancelled", [] {}, [] {}},
  };
  for (const Case& c : cases) {
    TRedForm& form = OpenPoints({{"1", "2"}});
    form.show();
    c.spoil();
    boxes_.Boxes.clear();
    files_.Calls.clear();
    Action("SaveAction")->trigger();
    EXPECT_TRUE(form.Modified()) << c.name;

    // Closing asks; Yes saves, and as that fails too the window stays.
    boxes_.AnswerYes();
    EXPECT_FALSE(form.close()) << c.name;
    EXPECT_TRUE(form.isVisible()) << c.name;
    ASSERT_FALSE(boxes_.Boxes.empty());
    EXPECT_TRUE(boxes_.Texts().contains("Данные не сохранены. Сохранить?")) << c.name;

    // Asked again, Yes now saves and the window closes.
    c.mend();
    boxes_.Boxes.clear();
    boxes_.AnswerYes();
    files_.Answer(Q(dir_.File("saved.crd")));
    EXPECT_TRUE(form.close()) << c.name;
    EXPECT_EQ(boxes_.Texts(), QStringList{"Данные не сохранены. Сохранить?"}) << c.name;
    EXPECT_FALSE(form.isVisible()) << c.name;
    EXPECT_EQ(dir_.Read("saved.crd"), "1 ; 2\r\n") << c.name;
  }
}

TEST_F(TRedFormTest, AFailedWriteKeepsTheOldFileAndTellsWhy) {
  const std::string oldBytes = "1 ; 2\r\n3 ; 4\r\n";
  const std::string path = dir_.Write("left.crd", oldBytes);
  TRedForm& form = Open(Q(path), TableKind::PointTable);
  ASSERT_TRUE(opened_);
  for (int r = 0; r < 40; ++r) Action("AppendRowAction")->trigger();
  for (int r = 0; r < form.Model().rowCount(); ++r) {
    SetCell(r, 1, "1234,5678");
    SetCell(r, 2, "8765,4321");
  }
  files_.Answer(Q(path));
  bool saved = true;
  {
    const test::FileSizeLimit limit(64);
    saved = form.SaveTable();
  }
  EXPECT_FALSE(saved);
  EXPECT_EQ(dir_.Read("left.crd"), oldBytes);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.Path()), {}), 1) << "no temporary file left";
  ASSERT_EQ(boxes_.Boxes.size(), 1u);
  EXPECT_EQ(boxes_.Boxes[0].Caption, "Vesk");
  EXPECT_EQ(boxes_.Boxes[0].Icon, MessageIcon::Error);
  EXPECT_TRUE(boxes_.Boxes[0].Text.contains(Q(path))) << boxes_.Boxes[0].Text.toStdString();
  EXPECT_TRUE(boxes_.Boxes[0].Text.contains(QString::fromLocal8Bit(std::strerror(EFBIG))))
      << boxes_.Boxes[0].Text.toStdString();
  EXPECT_TRUE(form.Modified());
  EXPECT_EQ(form.Model().rowCount(), 42) << "the grid keeps its state";
}

TEST_F(TRedFormTest, TypedTextCountsAsSoonAsItIsTyped) {
  TRedForm& form = OpenPoints({{"1", "2"}, {"3", "4"}});
  form.show();
  form.Model().MarkSaved();
  SetCurrent(0, 1);
  QTest::keyClick(Grid(), Qt::Key_1);
  auto* editor = qobject_cast<QLineEdit*>(Grid()->indexWidget(Grid()->currentIndex()));
  ASSERT_NE(editor, nullptr) << "typing opens the cell";
  QTest::keyClicks(editor, ".5");
  EXPECT_TRUE(form.Modified());
  QTest::keyClick(editor, Qt::Key_Return);
  QApplication::processEvents();
  EXPECT_EQ(Cell(0, 1), "1.5");
  EXPECT_EQ(Grid()->currentIndex(), form.Model().index(1, 1)) << "Enter moves down";
  EXPECT_TRUE(form.Model().index(0, 1).data(gui::TableModel::FlaggedRole).toBool()) << "1.5 under a comma locale";
  EXPECT_EQ(form.Model().index(0, 1).data(Qt::ForegroundRole).value<QColor>(), QColor(0xC0, 0, 0));
  EXPECT_FALSE(form.Model().index(1, 1).data(gui::TableModel::FlaggedRole).toBool());

  // A cell still being edited is saved with what it shows.
  QTest::keyClick(Grid(), Qt::Key_7);
  editor = qobject_cast<QLineEdit*>(Grid()->indexWidget(Grid()->currentIndex()));
  ASSERT_NE(editor, nullptr);
  QTest::keyClicks(editor, ",25");
  SetCell(0, 1, "1,5");
  files_.Answer(Q(dir_.File("typed.crd")));
  ASSERT_TRUE(form.SaveTable());
  EXPECT_EQ(dir_.Read("typed.crd"), "1,5 ; 2\r\n7,25 ; 4\r\n");

  // Delete empties the current cell, which then stops saving.
  SetCurrent(1, 2);
  QTest::keyClick(Grid(), Qt::Key_Delete);
  EXPECT_EQ(Cell(1, 2), "");
  EXPECT_TRUE(form.Model().index(1, 2).data(gui::TableModel::FlaggedRole).toBool());
}

TEST_F(TRedFormTest, PasteFillsConsecutiveRowsFromTheCurrentCell) {
  using Table = std::vector<std::vector<QString>>;
  struct Case {
    const char* name;
    TableKind kind;
    int row, column;
    QString clipboard;
    Table after;  // the first rows
  } cases[] = {
      {"spreadsheet rows grow the table",
       TableKind::PointTable,
       0,
       1,
       "1,5\t2\r\n3\t4\r\n5\t6\r\n",
       {{"1", "1,5", "2"}, {"2", "3", "4"}, {"3", "5", "6"}}},
      {"lines of a coordinate file", TableKind::PointTable, 0, 1, "7 ; 8\n9;10", {{"1", "7", "8"}, {"2", "9", "10"}}},
      {"blank separated, from the second column",
       TableKind::PointTable,
       0,
       2,
       "1  2\n3 4",
       {{"1", "", "1"}, {"2", "", "3"}}},
      {"a column of values into the fixed rows",
       TableKind::CalibrationTable,
       6,
       1,
       "1\n2\n3\n",
       {{"Координата X главной точки (пикс.)", "1"}, {"Координата Y главной точки (пикс.)", "2"}}},
  };
  for (const Case& c : cases) {
    TRedForm& form = Open(QString(), c.kind);
    form.show();
    SetCurrent(c.row, c.column);
    QApplication::clipboard()->setText(c.clipboard);
    Action("PasteAction")->trigger();
    Table rows = Rows();
    const int expectedRows = c.kind == TableKind::PointTable ? static_cast<int>(c.after.size()) : 8;
    ASSERT_EQ(static_cast<int>(rows.size()), expectedRows) << c.name;
    rows.erase(rows.begin(), rows.begin() + (c.kind == TableKind::PointTable ? 0 : c.row));
    EXPECT_EQ(rows, c.after) << c.name;
    EXPECT_TRUE(form.Modified()) << c.name;
  }
  EXPECT_EQ(Action("PasteAction")->shortcut(), QKeySequence(QKeySequence::Paste));
}

TEST_F(TRedFormTest, CtrlVPastesAndCtrlSSavesFromTheGridWhileACellEditorKeepsCtrlVForItself) {
  TRedForm& form = Open(QString(), TableKind::PointTable);
  form.show();
  QApplication::setActiveWindow(&form);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  Grid()->setFocus();
  SetCurrent(0, 1);
  QApplication::clipboard()->setText("1\t2\n3\t4");
  QTest::keyClick(Grid(), Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(Rows(), (std::vector<std::vector<QString>>{{"1", "1", "2"}, {"2", "3", "4"}}));
  files_.Answer(Q(dir_.File("keys.crd")));
  QTest::keyClick(Grid(), Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(dir_.Read("keys.crd"), "1 ; 2\r\n3 ; 4\r\n");

  QApplication::clipboard()->setText("7,5");
  QTest::keyClick(Grid(), Qt::Key_5);
  auto* editor = qobject_cast<QLineEdit*>(Grid()->indexWidget(Grid()->currentIndex()));
  ASSERT_NE(editor, nullptr);
  QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(editor->text(), "57,5");
  EXPECT_EQ(form.Model().rowCount(), 2);
}

// The shipped examples: open, save under a new name, read back the same
// values, each line in the written form.
TEST_F(TRedFormTest, RoundTripsTheShippedExamples) {
  const std::filesystem::path examples = test::ExamplesDir();
  struct Case {
    const char* file;
    TableKind kind;
  } cases[] = {
      {"chessboard/left01.crd", TableKind::PointTable},
      {"chessboard/scene.crd", TableKind::PointTable},
      {"aloe/aloeR.crd", TableKind::PointTable},
      {"chessboard/left01.cam", TableKind::CalibrationTable},
      {"chessboard/right01.cam", TableKind::CalibrationTable},
      {"chessboard/left01.ort", TableKind::ShootingGeometryTable},
      {"chessboard/right01.ort", TableKind::ShootingGeometryTable},
  };
  const NumberFormat dot = NumberFormat::Dot();
  for (const Case& c : cases) {
    const std::string original = (examples / c.file).string();
    TRedForm& form = Open(Q(original), c.kind, dot);
    ASSERT_TRUE(opened_) << c.file;
    for (int r = 0; r < form.Model().rowCount(); ++r) {
      for (int col = 1; col < form.Model().columnCount(); ++col) {
        EXPECT_LT(Grid()->fontMetrics().horizontalAdvance(Cell(r, col)), Grid()->columnWidth(col))
            << c.file << ": every value shows whole, row " << r;
      }
    }
    const std::string copy = dir_.File(std::filesystem::path(c.file).filename().string() + ".copy");
    files_.Answer(Q(copy));
    ASSERT_TRUE(form.SaveTable()) << c.file;

    std::vector<std::string> before, after;
    ASSERT_TRUE(LoadTextLines(original, before));
    ASSERT_TRUE(LoadTextLines(copy, after));
    ASSERT_EQ(after.size(),
              c.kind == TableKind::PointTable ? before.size() : (c.kind == TableKind::CalibrationTable ? 8u : 21u))
        << c.file;
    for (std::size_t i = 0; i < after.size(); ++i) {
      if (c.kind == TableKind::PointTable) {
        const auto was = ParsePointLine(before[i], dot);
        ASSERT_TRUE(was) << c.file << " line " << i + 1;
        EXPECT_EQ(after[i], FormatPointLine(was->X, was->Y, dot)) << c.file << " line " << i + 1;
        continue;
      }
      const std::string value(TrimTrailingBlanks(LineValue(before[i])));
      const char* comment =
          c.kind == TableKind::CalibrationTable ? kCameraFileComments[i] : kShootingGeometryFileComments[i];
      const std::string written =
          c.kind == TableKind::CalibrationTable && i == 2 ? value : FormatNumber(ParseNumber(value, dot), dot);
      EXPECT_EQ(after[i], written + comment) << c.file << " line " << i + 1;
    }
    EXPECT_EQ(dir_.Read(std::filesystem::path(copy).filename().string()).find("\r\n"), after[0].size()) << c.file;
  }

  // The copies read back as the originals do.
  std::filesystem::copy_file(examples / "chessboard/corr1.txt", dir_.Path() / "corr1.txt");
  CameraGeometry was, is;
  ASSERT_FALSE(ReadCameraFile((examples / "chessboard/left01.cam").string(), was, dot));
  ASSERT_FALSE(ReadCameraFile(dir_.File("left01.cam.copy"), is, dot));
  EXPECT_EQ(std::tie(was.CentreX, was.CentreY, was.FocalLength, was.ImageWidth, was.ImageHeight, was.CorrectionTable),
            std::tie(is.CentreX, is.CentreY, is.FocalLength, is.ImageWidth, is.ImageHeight, is.CorrectionTable));
  ShootingGeometry wasGeometry, isGeometry;
  ASSERT_FALSE(ReadShootingGeometryFile((examples / "chessboard/left01.ort").string(), wasGeometry, dot));
  ASSERT_FALSE(ReadShootingGeometryFile(dir_.File("left01.ort.copy"), isGeometry, dot));
  for (int i = 0; i < ShootingGeometry::kValueCount; ++i) EXPECT_EQ(wasGeometry[i], isGeometry[i]) << i;
  VT_Points wasPoints(kOwnsItems), isPoints(kOwnsItems);
  ASSERT_FALSE(ReadPointFile((examples / "chessboard/left01.crd").string(), wasPoints, dot));
  ASSERT_FALSE(ReadPointFile(dir_.File("left01.crd.copy"), isPoints, dot));
  ASSERT_EQ(wasPoints.Count(), isPoints.Count());
  for (int i = 0; i < wasPoints.Count(); ++i) {
    EXPECT_EQ(wasPoints.Get(i)->X, isPoints.Get(i)->X);
    EXPECT_EQ(wasPoints.Get(i)->Y, isPoints.Get(i)->Y);
  }
}

}  // namespace
}  // namespace vesk
