#include "files/IniFile.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstddef>
#include <cstring>

#include "files/InputFile.h"
#include "files/LineReader.h"
#include "files/TextFile.h"

namespace vesk {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

// The name of a section header line, or nothing when the line is none.
std::optional<std::string_view> HeaderName(std::string_view line) {
  line = Trim(line);
  if (line.empty() || line.front() != '[') return std::nullopt;
  const std::size_t close = line.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  return Trim(line.substr(1, close - 1));
}

// The key of a "Key=Value" line, or nothing when the line holds no "=".
std::optional<std::string_view> KeyName(std::string_view line) {
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  return Trim(line.substr(0, equals));
}

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

}  // namespace

IniFile::IniFile(std::string_view bytes)
    : lines_(SplitLines(bytes)), byteOrderMark_(bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark) {}

bool IniFile::Load(const std::string& path, IniFile& ini, std::string* reason) {
  const auto refuse = [reason](const std::string& cause) {
    if (reason != nullptr) *reason = cause;
    return false;
  };
  struct stat link {};
  if (lstat(path.c_str(), &link) != 0) {
    if (errno != ENOENT && errno != ENOTDIR) return refuse(std::strerror(errno));
    ini = IniFile();
    return true;
  }
  InputFile file;
  if (!file.Open(path)) return refuse(file.Problem().Cause);
  LineReader reader(file.Descriptor(), LineLimits::Held());
  IniFile loaded;
  if (!ReadAllLines(reader, loaded.lines_)) return refuse(reader.Cause());
  loaded.byteOrderMark_ = reader.HadByteOrderMark();
  ini = std::move(loaded);
  return true;
}

std::optional<IniFile::SectionSpan> IniFile::FindSection(std::string_view section) const {
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const auto name = HeaderName(lines_[i]);
    if (!name || !SameName(*name, section)) continue;
    std::size_t end = i + 1;
    while (end < lines_.size() && !HeaderName(lines_[end])) ++end;
    return SectionSpan{i, end};
  }
  return std::nullopt;
}

std::optional<std::size_t> IniFile::FindKey(const SectionSpan& span, std::string_view key) const {
  for (std::size_t i = span.Header + 1; i < span.End; ++i) {
    const auto name = KeyName(lines_[i]);
    if (name && SameName(*name, key)) return i;
  }
  return std::nullopt;
}

std::optional<std::string> IniFile::Read(std::string_view section, std::string_view key) const {
  const auto span = FindSection(section);
  if (!span) return std::nullopt;
  const auto line = FindKey(*span, key);
  if (!line) return std::nullopt;
  const std::string& text = lines_[*line];
  return std::string(Trim(std::string_view(text).substr(text.find('=') + 1)));
}

std::string IniFile::Read(std::string_view section, std::string_view key, const std::string& fallback) const {
  return Read(section, key).value_or(fallback);
}

int IniFile::LineOf(std::string_view section, std::string_view key) const {
  const auto span = FindSection(section);
  if (!span) return 0;
  const auto line = FindKey(*span, key);
  return line ? static_cast<int>(*line) + 1 : 0;
}

void IniFile::Write(std::string_view section, std::string_view key, std::string_view value) {
  const std::string entry = std::string(key) + "=" + std::string(value);
  const auto span = FindSection(section);
  if (!span) {
    lines_.push_back("[" + std::string(section) + "]");
    lines_.push_back(entry);
    return;
  }
  if (const auto line = FindKey(*span, key)) {
    lines_[*line] = entry;
    return;
  }
  // After the section's last non-blank line, so blank lines that set the
  // next section apart stay where they are.
  std::size_t insertAt = span->End;
  while (insertAt > span->Header + 1 && Trim(lines_[insertAt - 1]).empty()) --insertAt;
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), entry);
}

std::string IniFile::Bytes() const {
  std::string bytes(byteOrderMark_ ? kByteOrderMark : std::string_view());
  for (const std::string& line : lines_) {
    bytes += line;
    bytes += "\r\n";
  }
  return bytes;
}

}  // namespace vesk
