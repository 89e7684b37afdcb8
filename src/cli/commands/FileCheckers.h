#pragma once

#include <string>

#include "files/NumberFormat.h"

namespace vesk::cli {

// What `vesk-cli check` learnt about one data file.
struct FileCheckResult {
  std::string Kind;  // "coordinates", ...
  bool Valid = false;
  std::string Summary;  // when valid: "54 points", ...
  int Count = -1;       // when valid and countable: the number of items
  std::string Error;    // when not valid: the system's own message
  int Line = 0;         // the line to blame, 0 when none
};

// Reads the file with the reader its extension calls for.
FileCheckResult CheckDataFile(const std::string& path, const NumberFormat& format);

}  // namespace vesk::cli
