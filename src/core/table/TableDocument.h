#pragma once

// table/: the coordinate table editor's document, without widgets: the three
// kinds of table, their rows of text cells, loading a data file into them,
// the row operations, and the lines a save writes with their validation.
// Includes files/ (number conversion, line and file rules) and the standard
// library.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "files/NumberFormat.h"
#include "table/TableLayout.h"

namespace vesk {

// The lines a table saves as, or why it cannot be saved.
struct TableLines {
  std::vector<std::string> Lines;
  std::string Error;  // the message to show; empty when the lines are complete
  int ErrorRow = -1;  // the cell that stopped the building
  int ErrorColumn = -1;

  bool Ok() const { return Error.empty(); }
};

// The cells of a table editor behind the grid, with the rules of loading,
// editing and saving. Rows are counted from 0 without the header row; column 0
// is the fixed column (the point number or the line's label), the cells the
// user edits are columns 1 and up. Cell texts are kept as bytes, so a value
// the user did not touch is written back exactly as it was read.
class TableDocument {
 public:
  // The empty table: one empty point row, or every line of a fixed kind with
  // empty values.
  explicit TableDocument(TableKind kind);

  // The table of a file's lines; nothing when they do not fit the kind (a
  // point line that does not convert, fewer lines than a fixed kind has).
  // Points are shown in the written form; the values of the other kinds as
  // they stand before the line's ";", trailing blanks removed.
  static std::optional<TableDocument> FromLines(TableKind kind, const std::vector<std::string>& lines,
                                                const NumberFormat& format);

  TableKind Kind() const { return kind_; }
  const TableLayout& Layout() const { return LayoutOf(kind_); }
  int RowCount() const { return static_cast<int>(rows_.size()); }
  int ColumnCount() const { return Layout().ColumnCount(); }

  // Column 0 of `row`: the point's number or the line's label.
  std::string FixedText(int row) const;
  // A cell of column 1 and up.
  const std::string& Cell(int row, int column) const;
  // Replaces a cell's text (the table then counts as modified), line breaks
  // turned into blanks; false for a cell outside the table or in the fixed
  // column.
  bool SetCell(int row, int column, std::string text);

  // True for a cell whose text would stop saving: any text that does not
  // convert, and a point cell the user left empty. A cell that was never
  // touched and is empty (a new row) is not flagged.
  bool CellFlagged(int row, int column, const NumberFormat& format) const;

  // Row operations of point tables (false, and nothing changes, for the fixed
  // kinds). `row` is the current row, taken into the table when outside it.
  // Insert: an empty row at `row`, the rows from there down move one lower.
  bool InsertRow(int row);
  bool AppendRow();
  // Delete: the rows below `row` move one up; the only row is emptied instead.
  bool DeleteRow(int row);
  // Clear: one empty row is left.
  bool Clear();

  // Writes `block` (rows of cell texts) into the table with its first text at
  // (`row`, `column`), the fixed column taken as column 1. Texts beyond the
  // last column are dropped; a point table grows as far as the block reaches,
  // a fixed kind drops the rows beyond its last. Returns how many rows were
  // added.
  int Paste(int row, int column, const std::vector<std::vector<std::string>>& block);
  // How many rows Paste would add.
  int RowsAddedByPaste(int row, const std::vector<std::vector<std::string>>& block) const;

  // The lines of the file (without line ends) or the first cell that stops
  // them, with its message.
  TableLines BuildLines(const NumberFormat& format) const;

  // Unsaved changes: set by every edit, every row operation and every key the
  // user presses in the grid; cleared only when the file was written.
  bool Modified() const { return modified_; }
  void MarkModified() { modified_ = true; }
  void MarkSaved() { modified_ = false; }

 private:
  struct CellText {
    std::string Text;
    bool Touched = false;  // edited or pasted by the user
  };
  using Row = std::vector<CellText>;

  Row EmptyRow() const;
  int ClampRow(int row) const;
  bool InTable(int row, int column) const;

  TableKind kind_;
  std::vector<Row> rows_;
  bool modified_ = false;
};

}  // namespace vesk
