#pragma once

#include <string>

#include "common/UserMessage.h"

namespace vesk {

// "Файл <path> не найден!"
std::string MissingFileMessage(const std::string& path);

// True when `path` names an existing file (not a folder).
bool FileExists(const std::string& path);

// The box that tells the user the file is missing (caption "Ошибка!").
UserMessage MissingFileBox(const std::string& path);

// As FileExists; otherwise tells the user "Файл <path> не найден!".
bool CheckFileExists(const std::string& path, UserDialogs& dialogs);

}  // namespace vesk
