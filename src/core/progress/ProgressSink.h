#pragma once

// progress/: how long computations report progress (a write-only sink) and
// learn that they are to stop (a token), and the elapsed-time text. Includes
// the standard library only.

#include <atomic>
#include <string>

namespace vesk {

// Where a long computation shows how far it has come. Write-only: the
// computation counts for itself and never reads a position back. Every call
// arrives on the thread that runs the computation; an implementation that
// shows the values in a window forwards them to its own thread.
class ProgressSink {
 public:
  virtual ~ProgressSink() = default;
  // Progress position, 0 to 100.
  virtual void SetPosition(int /*position*/) {}
  // Time since the build started, "h : m : s".
  virtual void SetElapsedText(const std::string& /*text*/) {}
};

// A sink that shows nothing.
inline ProgressSink& SilentProgress() {
  static ProgressSink silent;
  return silent;
}

// A request to stop a computation. Any thread may ask (a window's
// user-interface thread, a signal handler: the flag is lock-free); the
// computation looks at it between units of work and ends early, without a
// result. A token may also follow a flag owned elsewhere, such as the one a
// Ctrl+C handler sets.
class CancelToken {
 public:
  CancelToken() = default;
  explicit CancelToken(const std::atomic<bool>* linked) : linked_(linked) {}
  CancelToken(const CancelToken&) = delete;
  CancelToken& operator=(const CancelToken&) = delete;

  void Request() noexcept { requested_.store(true, std::memory_order_relaxed); }
  bool Requested() const noexcept {
    return requested_.load(std::memory_order_relaxed) ||
           (linked_ != nullptr && linked_->load(std::memory_order_relaxed));
  }

 private:
  std::atomic<bool> requested_{false};
  const std::atomic<bool>* linked_ = nullptr;
};

// A token nobody ever sets.
inline const CancelToken& NeverCancelled() {
  static const CancelToken never;
  return never;
}

}  // namespace vesk
