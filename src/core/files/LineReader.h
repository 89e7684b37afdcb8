#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "files/InputFile.h"

namespace vesk {

// No line of a real data file is this long.
inline constexpr std::size_t kMaxDataLineBytes = std::size_t{1} << 20;
// The most lines a file kept whole in memory (a correction table, a project
// file) may have: every line costs a string, an empty one too.
inline constexpr std::int64_t kMaxHeldLines = std::int64_t{1} << 20;

struct LineLimits {
  std::int64_t MaxBytes = kMaxDataFileBytes;
  std::size_t MaxLineBytes = kMaxDataLineBytes;
  std::int64_t MaxLines = std::numeric_limits<std::int64_t>::max();

  static LineLimits None() {
    return {std::numeric_limits<std::int64_t>::max(), std::numeric_limits<std::size_t>::max(),
            std::numeric_limits<std::int64_t>::max()};
  }
  static LineLimits Held() { return {kMaxDataFileBytes, kMaxDataLineBytes, kMaxHeldLines}; }
};

// Yields the lines of a file one at a time: split at CR LF, LF or CR, a final
// line break adding no empty line, a leading UTF-8 byte-order mark dropped.
// Only the current line and a fixed buffer are held, so a reader that stops
// at a bad line costs the same for a file of any size. A file or a line above
// the limits ends the reading as a failure.
class LineReader {
 public:
  // Reads from an open descriptor, which stays the caller's.
  explicit LineReader(int descriptor, const LineLimits& limits = {});
  explicit LineReader(std::istream& in, const LineLimits& limits = {});
  // Reads text already in memory, which must outlive the reader.
  explicit LineReader(std::string_view bytes, const LineLimits& limits = LineLimits::None());
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  // Puts the next line into `line`; false at the end and after a failure.
  bool Next(std::string& line);

  // 1-based number of the line Next gave last.
  std::int64_t LineNumber() const { return lineNumber_; }
  bool Failed() const { return failed_; }
  // Why reading failed, in English: "line 3 is longer than 1 MiB".
  const std::string& Cause() const { return cause_; }
  // The line to blame for the failure; 0 when the file as a whole is.
  int FailedLine() const { return failedLine_; }
  // Whether the text began with a byte-order mark (known after the first Next).
  bool HadByteOrderMark() const { return byteOrderMark_; }

 private:
  bool Fill();
  bool Fail(std::string cause, std::int64_t line);
  void SkipByteOrderMark();

  int descriptor_ = -1;
  std::istream* stream_ = nullptr;
  LineLimits limits_;
  std::vector<char> buffer_;
  const char* data_ = nullptr;
  std::size_t position_ = 0;
  std::size_t end_ = 0;
  std::int64_t bytesRead_ = 0;
  std::int64_t lineNumber_ = 0;
  bool started_ = false;
  bool atEnd_ = false;
  bool afterCarriageReturn_ = false;  // a LF right here belongs to the last line break
  bool byteOrderMark_ = false;
  bool failed_ = false;
  std::string cause_;
  int failedLine_ = 0;
};

// Every remaining line; false when the reader failed.
bool ReadAllLines(LineReader& reader, std::vector<std::string>& lines);

// Up to `count` lines from the start; fewer when the file has fewer. The rest
// of the file is not read. False when the reader failed on the way.
bool ReadFirstLines(LineReader& reader, std::size_t count, std::vector<std::string>& lines);

}  // namespace vesk
