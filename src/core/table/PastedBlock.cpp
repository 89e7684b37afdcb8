#include "table/PastedBlock.h"

#include "files/TextFile.h"

namespace vesk {
namespace {

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  return TrimTrailingBlanks(text);
}

std::vector<std::string> SplitAt(std::string_view line, char separator) {
  std::vector<std::string> cells;
  while (true) {
    const std::size_t cut = line.find(separator);
    cells.emplace_back(TrimBlanks(line.substr(0, cut)));
    if (cut == std::string_view::npos) return cells;
    line.remove_prefix(cut + 1);
  }
}

std::vector<std::string> SplitAtBlanks(std::string_view line) {
  std::vector<std::string> cells;
  std::size_t start = line.find_first_not_of(' ');
  while (start != std::string_view::npos) {
    const std::size_t end = line.find(' ', start);
    cells.emplace_back(line.substr(start, end == std::string_view::npos ? end : end - start));
    start = line.find_first_not_of(' ', end);
  }
  if (cells.empty()) cells.emplace_back();
  return cells;
}

}  // namespace

std::vector<std::vector<std::string>> ParsePastedBlock(std::string_view text) {
  std::vector<std::string> lines = SplitLines(text);
  while (!lines.empty() && TrimBlanks(lines.back()).empty()) lines.pop_back();

  const bool tabs = text.find('\t') != std::string_view::npos;
  const bool semicolons = !tabs && text.find(';') != std::string_view::npos;
  std::vector<std::vector<std::string>> block;
  block.reserve(lines.size());
  for (const std::string& line : lines) {
    if (tabs) {
      block.push_back(SplitAt(line, '\t'));
    } else if (semicolons) {
      block.push_back(SplitAt(line, ';'));
    } else {
      block.push_back(SplitAtBlanks(line));
    }
  }
  return block;
}

}  // namespace vesk
