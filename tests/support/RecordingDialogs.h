#pragma once

#include <string>
#include <vector>

#include "common/UserDialogs.h"

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

}  // namespace vesk::test
