#pragma once

#include <string>
#include <vector>

#include <optional>

#include "common/UserDialogs.h"
#include "files/ReadFailure.h"

namespace vesk::test {

// Stands in for message boxes: records every message and question and answers
// questions with a preset reply.
class RecordingDialogs : public UserDialogs {
 public:
  struct Entry {
    MessageIcon Icon;
    std::string Caption;
    std::string Text;
    bool Question;
  };

  bool Reply = true;
  std::vector<Entry> Entries;

  void ShowMessage(MessageIcon icon, const std::string& caption, const std::string& text) override {
    Entries.push_back({icon, caption, text, false});
  }
  bool AskYesNo(const std::string& caption, const std::string& text) override {
    Entries.push_back({MessageIcon::Warning, caption, text, true});
    return Reply;
  }
};

// A reader's outcome as a window meets it: the failure shown once through
// `dialogs` (and copied into `failure` when given); true on success.
inline bool Shown(const std::optional<ReadFailure>& outcome, UserDialogs& dialogs, ReadFailure* failure = nullptr) {
  if (!outcome) return true;
  outcome->ShowTo(dialogs);
  if (failure != nullptr) *failure = *outcome;
  return false;
}

}  // namespace vesk::test
