#include "files/FileCheck.h"

#include <filesystem>

namespace vesk {

bool FileExists(const std::string& path) {
  std::error_code error;
  const auto status = std::filesystem::status(path, error);
  return !error && std::filesystem::exists(status) && !std::filesystem::is_directory(status);
}

std::string MissingFileMessage(const std::string& path) { return "Файл " + path + " не найден!"; }

UserMessage MissingFileBox(const std::string& path) {
  return UserMessage{MessageIcon::Error, kErrorCaption, MissingFileMessage(path)};
}

bool CheckFileExists(const std::string& path, UserDialogs& dialogs) {
  if (FileExists(path)) return true;
  MissingFileBox(path).ShowTo(dialogs);
  return false;
}

}  // namespace vesk
