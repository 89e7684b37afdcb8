#pragma once

#include <string>

#include "common/UserMessage.h"

namespace vesk {

// Why a data-file reader gave up: the message box the user is to see, and
// for callers that tell more (vesk-cli prints "file:line: message") the file
// and the line to blame.
struct ReadFailure {
  UserMessage Message;
  std::string File;  // the file that could not be read
  int Line = 0;      // 1-based line of the file; 0 when no line is to blame
  // Why the file could not be read at all, in English, when the system or a
  // bound refused it ("is a folder", "is larger than 256 MiB", "Permission
  // denied"); empty when the contents are at fault.
  std::string Cause = {};
  // What is wrong with the line, in the windows' words ("пустая строка");
  // empty when nothing more is known.
  std::string Reason = {};

  // "file:line", or the file alone when no line is to blame.
  std::string Location() const { return Line > 0 ? File + ":" + std::to_string(Line) : File; }
  // The message with, on a line below it, the file (where the message does
  // not name it already), the line and the reason or cause:
  //   Ошибка чтения файла сцены!
  //   /data/left.crd, строка 3: нет знака «;» между двумя числами
  std::string DetailedText() const {
    std::string where = Message.Text.find(File) == std::string::npos ? File : std::string();
    if (Line > 0) where += (where.empty() ? "строка " : ", строка ") + std::to_string(Line);
    const std::string& why = Reason.empty() ? Cause : Reason;
    if (!why.empty() && !(why == "does not exist" && where.empty())) where += (where.empty() ? "" : ": ") + why;
    return where.empty() ? Message.Text : Message.Text + "\n" + where;
  }
  void ShowTo(UserDialogs& dialogs) const { Message.ShowTo(dialogs); }
};

}  // namespace vesk
