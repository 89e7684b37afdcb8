#pragma once

#include <string>

#include "common/UserMessage.h"

namespace vesk {

// "Файл <path> не найден!"
std::string MissingFileMessage(const std::string& path);

// True when `path` names an existing regular file (links followed): a folder,
// a FIFO or a device is no data file, and counts as not found.
bool FileExists(const std::string& path);

// The box that tells the user the file is missing (caption "Ошибка!").
UserMessage MissingFileBox(const std::string& path);

// As FileExists; otherwise tells the user "Файл <path> не найден!" and puts
// into `cause`, when given, what stands at the path in English ("does not
// exist", "is a folder", "is not a regular file (a FIFO)").
bool CheckFileExists(const std::string& path, UserDialogs& dialogs, std::string* cause = nullptr);

}  // namespace vesk
