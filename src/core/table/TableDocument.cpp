#include "table/TableDocument.h"

#include <algorithm>
#include <cstddef>

#include "files/CoordinateFile.h"
#include "files/OrientationFiles.h"
#include "files/TextFile.h"
#include "table/TableMessages.h"

namespace vesk {
namespace {

// The line of a calibration file that names the correction table: its value
// is a file name, taken as typed.
constexpr int kCorrectionTableRow = 2;

// The value a cell of a fixed kind saves as: nothing for an empty cell or a
// single blank, otherwise the number in the written form.
std::optional<std::string> FixedValue(TableKind kind, int row, const std::string& text, const NumberFormat& format) {
  if (kind == TableKind::CalibrationTable && row == kCorrectionTableRow) return text;
  if (text.empty() || text == " ") return std::string();
  const auto value = TryParseNumber(text, format);
  if (!value) return std::nullopt;
  return FormatNumber(*value, format);
}

}  // namespace

std::string PointTableRowError(int row) {
  return "Ошибка в " + std::to_string(row) + "-й строке координат изображения!";
}

TableDocument::TableDocument(TableKind kind) : kind_(kind) {
  const std::size_t rows = Layout().HasFixedRows() ? Layout().RowLabels.size() : 1;
  rows_.assign(rows, EmptyRow());
}

std::optional<TableDocument> TableDocument::FromLines(TableKind kind, const std::vector<std::string>& lines,
                                                      const NumberFormat& format) {
  TableDocument table(kind);
  if (kind == TableKind::PointTable) {
    // An empty file still shows one row to type into.
    if (lines.empty()) return table;
    table.rows_.clear();
    for (const std::string& line : lines) {
      const auto point = ParsePointLine(line, format);
      if (!point) return std::nullopt;
      Row row = table.EmptyRow();
      row[1].Text = FormatNumber(point->X, format);
      row[2].Text = FormatNumber(point->Y, format);
      table.rows_.push_back(std::move(row));
    }
    return table;
  }
  if (lines.size() < table.rows_.size()) return std::nullopt;
  for (std::size_t r = 0; r < table.rows_.size(); ++r) {
    table.rows_[r][1].Text = std::string(TrimTrailingBlanks(LineValue(lines[r])));
  }
  return table;
}

TableDocument::Row TableDocument::EmptyRow() const { return Row(static_cast<std::size_t>(ColumnCount())); }

int TableDocument::ClampRow(int row) const { return std::clamp(row, 0, RowCount() - 1); }

bool TableDocument::InTable(int row, int column) const {
  return row >= 0 && row < RowCount() && column >= 1 && column < ColumnCount();
}

std::string TableDocument::FixedText(int row) const {
  if (Layout().HasFixedRows()) return Layout().RowLabels.at(static_cast<std::size_t>(row));
  return std::to_string(row + 1);
}

const std::string& TableDocument::Cell(int row, int column) const {
  return rows_.at(static_cast<std::size_t>(row)).at(static_cast<std::size_t>(column)).Text;
}

bool TableDocument::SetCell(int row, int column, std::string text) {
  if (!InTable(row, column)) return false;
  // A cell is part of one line of the file: a line break pasted into a cell
  // editor becomes a blank.
  std::replace_if(
      text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
  CellText& cell = rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
  cell.Text = std::move(text);
  cell.Touched = true;
  modified_ = true;
  return true;
}

bool TableDocument::CellFlagged(int row, int column, const NumberFormat& format) const {
  if (!InTable(row, column)) return false;
  const CellText& cell = rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
  if (kind_ != TableKind::PointTable) return !FixedValue(kind_, row, cell.Text, format).has_value();
  if (cell.Text.empty()) return cell.Touched;
  return !TryParseNumber(cell.Text, format).has_value();
}

bool TableDocument::InsertRow(int row) {
  if (Layout().HasFixedRows()) return false;
  rows_.insert(rows_.begin() + ClampRow(row), EmptyRow());
  modified_ = true;
  return true;
}

bool TableDocument::AppendRow() {
  if (Layout().HasFixedRows()) return false;
  rows_.push_back(EmptyRow());
  modified_ = true;
  return true;
}

bool TableDocument::DeleteRow(int row) {
  if (Layout().HasFixedRows()) return false;
  if (RowCount() == 1) {
    rows_.front() = EmptyRow();
  } else {
    rows_.erase(rows_.begin() + ClampRow(row));
  }
  modified_ = true;
  return true;
}

bool TableDocument::Clear() {
  if (Layout().HasFixedRows()) return false;
  rows_.assign(1, EmptyRow());
  modified_ = true;
  return true;
}

int TableDocument::RowsAddedByPaste(int row, const std::vector<std::vector<std::string>>& block) const {
  if (Layout().HasFixedRows() || block.empty()) return 0;
  const int reach = std::max(row, 0) + static_cast<int>(block.size());
  return std::max(reach - RowCount(), 0);
}

int TableDocument::Paste(int row, int column, const std::vector<std::vector<std::string>>& block) {
  const int added = RowsAddedByPaste(row, block);
  for (int i = 0; i < added; ++i) rows_.push_back(EmptyRow());
  row = std::max(row, 0);
  column = std::max(column, 1);
  for (std::size_t i = 0; i < block.size(); ++i) {
    const int target = row + static_cast<int>(i);
    if (target >= RowCount()) break;
    for (std::size_t j = 0; j < block[i].size(); ++j) {
      const int targetColumn = column + static_cast<int>(j);
      if (targetColumn >= ColumnCount()) break;
      SetCell(target, targetColumn, block[i][j]);
    }
  }
  if (!block.empty()) modified_ = true;
  return added;
}

TableLines TableDocument::BuildLines(const NumberFormat& format) const {
  TableLines result;
  const auto fail = [&result](std::string message, int row, int column) {
    result.Lines.clear();
    result.Error = std::move(message);
    result.ErrorRow = row;
    result.ErrorColumn = column;
    return result;
  };
  if (kind_ == TableKind::PointTable) {
    for (int r = 0; r < RowCount(); ++r) {
      const auto x = TryParseNumber(Cell(r, 1), format);
      if (!x) return fail(PointTableRowError(r + 1), r, 1);
      const auto y = TryParseNumber(Cell(r, 2), format);
      if (!y) return fail(PointTableRowError(r + 1), r, 2);
      result.Lines.push_back(FormatPointLine(*x, *y, format));
    }
    return result;
  }
  const char* message = kind_ == TableKind::CalibrationTable ? kCalibrationTableError : kShootingGeometryTableError;
  std::vector<std::string> values;
  for (int r = 0; r < RowCount(); ++r) {
    auto value = FixedValue(kind_, r, Cell(r, 1), format);
    if (!value) return fail(message, r, 1);
    values.push_back(std::move(*value));
  }
  result.Lines = kind_ == TableKind::CalibrationTable ? CameraFileLines(values) : ShootingGeometryFileLines(values);
  return result;
}

}  // namespace vesk
