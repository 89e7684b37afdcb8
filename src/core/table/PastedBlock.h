#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vesk {

// Rows of cell texts copied from a spreadsheet or a text editor. Each line is
// a row. The cells of a row are separated by tabs when the text holds a tab
// (a spreadsheet's copy, whose empty cells stay empty), otherwise by
// semicolons when it holds one (the lines of a data file), otherwise by runs
// of blanks. Blanks around a cell are dropped; an empty line is one empty
// cell; empty lines at the end are dropped.
std::vector<std::vector<std::string>> ParsePastedBlock(std::string_view text);

}  // namespace vesk
