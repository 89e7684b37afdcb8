#pragma once

#include <string>

namespace vesk {

// Where a data-file reader gave up, for callers that report more than the
// message box does (vesk-cli prints the file and the line).
struct ReadFailure {
  std::string Message;  // the text shown to the user
  int Line = 0;         // 1-based line of the file; 0 when no line is to blame
  // Why the file could not be read at all, in English, when the system or a
  // bound refused it ("is a folder", "is larger than 256 MiB", "Permission
  // denied"); empty when the contents are at fault.
  std::string Cause = {};
};

}  // namespace vesk
