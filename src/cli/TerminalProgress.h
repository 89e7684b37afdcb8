#pragma once

#include <atomic>
#include <ostream>
#include <string>

#include "progress/ProgressReporter.h"

namespace vesk::cli {

// Progress of a long vesk-cli command: a bar with the percent and the
// elapsed time on a terminal (redrawn only when something changes), nothing
// otherwise. Ctrl+C (the `interrupted` flag) asks the computation to stop.
class TerminalProgress : public ProgressReporter {
 public:
  TerminalProgress(std::ostream& err, bool showBar, const std::atomic<bool>* interrupted, std::string label);
  void SetPosition(int position) override;
  int Position() const override { return position_; }
  void SetElapsedText(const std::string& text) override;
  bool CancelRequested() const override;
  // Ends the bar's line, if one was drawn.
  void Close();

 private:
  void Draw();

  std::ostream& err_;
  bool showBar_;
  const std::atomic<bool>* interrupted_;
  std::string label_;
  int position_ = -1;
  std::string elapsed_;
  bool drawn_ = false;
};

}  // namespace vesk::cli
