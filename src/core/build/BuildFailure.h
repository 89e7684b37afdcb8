#pragma once

#include <optional>
#include <string>

#include "common/UserMessage.h"
#include "files/ReadFailure.h"

namespace vesk {

// Why a build ended before its rendering job: what the user is to see, and
// for batch use the details behind it.
struct BuildFailure {
  enum class Kind {
    Message,        // a message box: Message says which
    StandardError,  // the application's standard error box with Message.Text
    Cancelled,      // the user stopped it (dialog cancelled, Esc); nothing is shown
  };
  Kind How = Kind::Message;
  UserMessage Message;
  std::optional<ReadFailure> Read;  // a data file that could not be read, with its line
  std::string Detail;               // an English explanation for vesk-cli, when there is more to say

  static BuildFailure Cancelled() { return BuildFailure{Kind::Cancelled, {}, std::nullopt, {}}; }
};

}  // namespace vesk
