#include "files/TextFile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>

namespace vesk {

std::vector<std::string> SplitLines(std::string_view bytes) {
  static constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark) bytes.remove_prefix(kByteOrderMark.size());

  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c != '\r' && c != '\n') continue;
    lines.emplace_back(bytes.substr(start, i - start));
    if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < bytes.size()) lines.emplace_back(bytes.substr(start));
  return lines;
}

bool LoadTextLines(std::istream& in, std::vector<std::string>& lines) {
  std::ostringstream buffer;
  buffer << in.rdbuf();
  if (in.bad()) return false;
  lines = SplitLines(buffer.str());
  return true;
}

bool LoadTextLines(const std::string& path, std::vector<std::string>& lines) {
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return false;
  lines = SplitLines(bytes);
  return true;
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
  namespace fs = std::filesystem;
  const auto fail = [reason](int error) {
    if (reason != nullptr) *reason = std::strerror(error);
    return false;
  };
  const fs::path target(path);
  std::random_device seed;
  const fs::path temporary =
      target.parent_path() / (target.filename().string() + ".tmp" + std::to_string(seed() % 1000000));
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return fail(errno);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) {
      const int error = errno;
      out.close();
      std::error_code ignored;
      fs::remove(temporary, ignored);
      return fail(error);
    }
  }
  std::error_code error;
  fs::rename(temporary, target, error);
  if (error) {
    std::error_code ignored;
    fs::remove(temporary, ignored);
    return fail(error.value());
  }
  return true;
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
