#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vesk {

// The three kinds of data file the table editor opens.
enum class TableKind {
  PointTable,             // a coordinate file: one point per row, rows added and removed freely
  CalibrationTable,       // a calibration file: its 8 lines, one value each
  ShootingGeometryTable,  // a shooting-geometry file: its 21 lines, one value each
};

// How the grid of one kind looks. Column 0 is fixed: the point number or the
// label of the line.
struct TableLayout {
  int WindowWidth;
  int WindowHeight;
  const char* TitleSuffix;               // put after the file's bare name
  std::vector<int> ColumnWidths;         // every column, column 0 first
  std::vector<const char*> HeaderTexts;  // the fixed header row; empty when the kind has none
  int RowHeight;
  std::vector<const char*> RowLabels;  // column 0 of a fixed row set; empty for points
  const char* SaveFilter;              // the save dialog's filter (Qt's syntax)
  const char* DefaultSuffix;           // added to a typed name without extension

  bool HasHeaderRow() const { return !HeaderTexts.empty(); }
  // Point tables grow and shrink; the other kinds have one row per file line.
  bool HasFixedRows() const { return !RowLabels.empty(); }
  int ColumnCount() const { return static_cast<int>(ColumnWidths.size()); }
};

// The user may shrink any editor window down to this size.
inline constexpr int kMinimumTableWindowWidth = 300;
inline constexpr int kMinimumTableWindowHeight = 200;

const TableLayout& LayoutOf(TableKind kind);

// The window title: the file's bare name ("Untitled" for an empty path) and
// the kind's suffix, "left.crd Реперные точки".
std::string TableTitle(TableKind kind, std::string_view path);

}  // namespace vesk
