#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vesk {

// An INI file in the classic layout: "[Section]" header lines, "Key=Value"
// lines below them. Section and key names match without regard to letter case
// (ASCII), values are read with surrounding blanks dropped. Every line is
// kept as it was, so that writing a key changes that key's line only: an
// existing key is replaced in place, a new key goes to the end of its section,
// a new section to the end of the file. Values are single-line texts; nothing
// is quoted or escaped.
class IniFile {
 public:
  IniFile() = default;
  explicit IniFile(std::string_view bytes);

  // Loads the file at `path` into `ini`; a missing file gives an empty one.
  // False when the file exists but cannot be read, or is no regular file, or
  // is beyond the bounds of LineLimits::Held(); `reason`, when given, then
  // receives why in English.
  static bool Load(const std::string& path, IniFile& ini, std::string* reason = nullptr);

  // The value of the first `key` in the first section named `section`.
  std::optional<std::string> Read(std::string_view section, std::string_view key) const;
  std::string Read(std::string_view section, std::string_view key, const std::string& fallback) const;

  // The 1-based line of that key, or 0 when it is absent.
  int LineOf(std::string_view section, std::string_view key) const;

  void Write(std::string_view section, std::string_view key, std::string_view value);

  // The whole file, CR LF after every line.
  std::string Bytes() const;
  const std::vector<std::string>& Lines() const { return lines_; }

 private:
  struct SectionSpan {
    std::size_t Header;  // index of the header line
    std::size_t End;     // index one past the section's last line
  };
  std::optional<SectionSpan> FindSection(std::string_view section) const;
  std::optional<std::size_t> FindKey(const SectionSpan& span, std::string_view key) const;

  std::vector<std::string> lines_;
  bool byteOrderMark_ = false;  // a UTF-8 byte-order mark stays where it was
};

}  // namespace vesk
