#pragma once

#include <string>

namespace vesk {

// Where long computations report progress and learn whether to stop. The
// workspace answers with its progress bar and elapsed-time field, vesk-cli
// with a terminal bar, tests with a recorder. Every call has a harmless
// default so a caller implements only what it shows.
class ProgressReporter {
 public:
  virtual ~ProgressReporter() = default;
  // Progress position, 0 to 100.
  virtual void SetPosition(int /*position*/) {}
  virtual int Position() const { return 0; }
  virtual void SetElapsedText(const std::string& /*text*/) {}
  // Asked between units of work; true ends the computation early.
  virtual bool CancelRequested() const { return false; }
};

}  // namespace vesk
