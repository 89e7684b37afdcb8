#include "files/PathNames.h"

namespace vesk {

std::string BareName(std::string_view path) {
  const std::size_t cut = path.rfind(kPathSeparator);
  return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

std::string FolderOf(std::string_view path) {
  const std::size_t cut = path.rfind(kPathSeparator);
  return cut == std::string_view::npos ? std::string() : std::string(path.substr(0, cut + 1));
}

std::string FolderRelativePath(std::string_view typed, std::string_view current) {
  if (!typed.empty() && typed.front() == kPathSeparator) return std::string(typed);
  return FolderOf(current) + std::string(typed);
}

std::string CompanionPath(std::string_view path, std::string_view extension) {
  const std::size_t keep = path.size() >= 3 ? path.size() - 3 : 0;
  return std::string(path.substr(0, keep)) + std::string(extension);
}

}  // namespace vesk
