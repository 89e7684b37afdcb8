#include "files/FileCheck.h"

#include "files/InputFile.h"

namespace vesk {

bool FileExists(const std::string& path) { return !InspectInputFile(path); }

std::string MissingFileMessage(const std::string& path) { return "Файл " + path + " не найден!"; }

bool CheckFileExists(const std::string& path, UserDialogs& dialogs, std::string* cause) {
  const auto problem = InspectInputFile(path);
  if (!problem) return true;
  if (cause != nullptr) *cause = problem->Cause;
  dialogs.ShowMessage(MessageIcon::Error, kErrorCaption, MissingFileMessage(path));
  return false;
}

}  // namespace vesk
