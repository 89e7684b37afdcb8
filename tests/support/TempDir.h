#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace vesk::test {

// A fresh folder under the system's temporary folder, removed with its
// contents when the object goes. Tests write nowhere else.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  // Full path of `name` inside the folder.
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  // Writes `bytes` as they are into `name`; returns the full path.
  std::string Write(const std::string& name, std::string_view bytes) const;
  std::string Read(const std::string& name) const;

 private:
  std::filesystem::path path_;
};

// Folder of the shipped example sets (examples/ of the source tree).
std::filesystem::path ExamplesDir();

}  // namespace vesk::test
