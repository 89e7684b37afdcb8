#pragma once

#include <atomic>
#include <ostream>
#include <string>

#include "progress/ProgressSink.h"

namespace vesk::cli {

// Progress of a long vesk-cli command: a bar with the percent and the
// elapsed time on a terminal (redrawn only when something changes), nothing
// otherwise.
class TerminalProgress : public ProgressSink {
 public:
  TerminalProgress(std::ostream& err, bool showBar, std::string label);
  void SetPosition(int position) override;
  void SetElapsedText(const std::string& text) override;
  // Ends the bar's line, if one was drawn.
  void Close();

 private:
  void Draw();

  std::ostream& err_;
  bool showBar_;
  std::string label_;
  int position_ = -1;
  std::string elapsed_;
  bool drawn_ = false;
};

}  // namespace vesk::cli
