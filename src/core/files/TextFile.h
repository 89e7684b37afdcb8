#pragma once

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace vesk {

// Data files are taken as bytes: only the values before a ";" are ever
// interpreted, so comments in any single-byte code page or in UTF-8 pass.

// Splits text at CR LF, LF or CR. A final line break adds no empty line; a
// leading UTF-8 byte-order mark is dropped.
std::vector<std::string> SplitLines(std::string_view bytes);

// Loads every line of a stream or a file, to be kept whole; false when it
// cannot be read. Only a regular file is read, and none beyond the bounds of
// LineLimits::Held(); `reason`, when given, receives why in English.
bool LoadTextLines(std::istream& in, std::vector<std::string>& lines);
bool LoadTextLines(const std::string& path, std::vector<std::string>& lines, std::string* reason = nullptr);

// The value of a data-file line: the text before its first ";". A line
// without ";" has an empty value.
std::string_view LineValue(std::string_view line);

// The text with trailing blanks removed.
std::string_view TrimTrailingBlanks(std::string_view text);

// Writes the lines with CR LF after each through an AtomicFileWriter: into a
// temporary file beside `path`, renamed over it, so a failure never leaves a
// half-written file. A target that is no regular file, or that the user may
// not write, is refused and left alone. Returns false when the file could not
// be written; the old file is intact and `reason`, when given, receives the
// cause in English without the path ("is not a regular file (a FIFO)",
// "cannot be written: No space left on device").
bool WriteTextFileReplacing(const std::string& path, const std::vector<std::string>& lines,
                            std::string* reason = nullptr);
bool WriteBytesReplacing(const std::string& path, std::string_view bytes, std::string* reason = nullptr);

}  // namespace vesk
