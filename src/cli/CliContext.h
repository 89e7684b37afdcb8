#pragma once

#include <atomic>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "common/UserDialogs.h"
#include "files/NumberFormat.h"

namespace vesk::cli {

// What a command sees of the world; tests fill it with string streams.
struct CliEnvironment {
  std::ostream& Out;
  std::ostream& Err;
  std::function<const char*(const char*)> GetEnv;
  bool ErrIsTerminal = false;
  // Set by the Ctrl+C handler; commands that run long look at it.
  const std::atomic<bool>* Interrupted = nullptr;
};

// The core's message boxes, answered on the command line: every message is
// kept so that the command can print it with the file and line it concerns.
// No question is ever asked; AskYesNo answers `answerYes`.
class CliDialogs : public UserDialogs {
 public:
  struct Message {
    MessageIcon Icon;
    std::string Caption;
    std::string Text;
  };
  explicit CliDialogs(bool answerYes = false) : answerYes_(answerYes) {}
  void ShowMessage(MessageIcon icon, const std::string& caption, const std::string& text) override;
  bool AskYesNo(const std::string& caption, const std::string& text) override;
  const std::vector<Message>& Messages() const { return messages_; }
  // The text of the last message, or an empty text.
  std::string LastText() const { return messages_.empty() ? std::string() : messages_.back().Text; }

 private:
  bool answerYes_;
  std::vector<Message> messages_;
};

// Takes --decimal-separator C when given, otherwise the locale's separator.
class Arguments;
NumberFormat DataFileFormat(Arguments& args, const CliEnvironment& env);

}  // namespace vesk::cli
