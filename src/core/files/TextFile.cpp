#include "files/TextFile.h"

#include "files/AtomicFileWriter.h"
#include "files/InputFile.h"
#include "files/LineReader.h"

namespace vesk {

std::vector<std::string> SplitLines(std::string_view bytes) {
  LineReader reader(bytes);
  std::vector<std::string> lines;
  ReadAllLines(reader, lines);
  return lines;
}

bool LoadTextLines(std::istream& in, std::vector<std::string>& lines) {
  LineReader reader(in, LineLimits::Held());
  return ReadAllLines(reader, lines);
}

bool LoadTextLines(const std::string& path, std::vector<std::string>& lines, std::string* reason) {
  InputFile file;
  if (!file.Open(path)) {
    if (reason != nullptr) *reason = file.Problem().Cause;
    return false;
  }
  LineReader reader(file.Descriptor(), LineLimits::Held());
  if (ReadAllLines(reader, lines)) return true;
  if (reason != nullptr) *reason = reader.Cause();
  return false;
}

std::string_view LineValue(std::string_view line) {
  const std::size_t semicolon = line.find(';');
  return semicolon == std::string_view::npos ? std::string_view() : line.substr(0, semicolon);
}

std::string_view TrimTrailingBlanks(std::string_view text) {
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

bool WriteBytesReplacing(const std::string& path, std::string_view bytes, std::string* reason) {
  AtomicFileWriter writer;
  if (writer.Open(path) && writer.Write(bytes) && writer.Commit()) return true;
  if (reason != nullptr) *reason = writer.Cause();
  return false;
}

bool WriteTextFileReplacing(const std::string& path, const std::vector<std::string>& lines, std::string* reason) {
  std::string bytes;
  for (const std::string& line : lines) {
    bytes += line;
    bytes += "\r\n";
  }
  return WriteBytesReplacing(path, bytes, reason);
}

}  // namespace vesk
