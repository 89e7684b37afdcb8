#pragma once

#include <string>

#include "common/UserDialogs.h"

namespace vesk::fuzz {

// The readers' messages are not what a fuzz run looks at.
class SilentDialogs : public UserDialogs {
 public:
  void ShowMessage(MessageIcon, const std::string&, const std::string&) override {}
  bool AskYesNo(const std::string&, const std::string&) override { return false; }
};

}  // namespace vesk::fuzz
