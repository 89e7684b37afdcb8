#include "files/FileCheck.h"

#include "files/InputFile.h"

namespace vesk {

bool FileExists(const std::string& path) { return !InspectInputFile(path); }

std::string MissingFileMessage(const std::string& path) { return "Файл " + path + " не найден!"; }

UserMessage MissingFileBox(const std::string& path) {
  return UserMessage{MessageIcon::Error, kErrorCaption, MissingFileMessage(path)};
}

bool CheckFileExists(const std::string& path, UserDialogs& dialogs, std::string* cause) {
  const auto problem = InspectInputFile(path);
  if (!problem) return true;
  if (cause != nullptr) *cause = problem->Cause;
  MissingFileBox(path).ShowTo(dialogs);
  return false;
}

}  // namespace vesk
