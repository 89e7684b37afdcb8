#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace vesk::cli {

// Minimal JSON output for --json: numbers with 17 significant digits so that
// every double reads back to the same bits.
std::string JsonNumber(double value);
std::string JsonString(std::string_view text);
std::string JsonNumberArray(const std::vector<double>& values);

}  // namespace vesk::cli
