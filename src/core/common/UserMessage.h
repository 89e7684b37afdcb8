#pragma once

#include <string>

#include "common/UserDialogs.h"

namespace vesk {

// One message box as the user is to see it: icon, caption, text. Core code
// returns these instead of showing them, and the caller shows each with one
// call (a window as a box, vesk-cli as a line on standard error).
struct UserMessage {
  MessageIcon Icon = MessageIcon::Error;
  std::string Caption;
  std::string Text;

  void ShowTo(UserDialogs& dialogs) const { dialogs.ShowMessage(Icon, Caption, Text); }
  bool operator==(const UserMessage&) const = default;
};

}  // namespace vesk
