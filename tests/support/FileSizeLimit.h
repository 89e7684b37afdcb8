#pragma once

#include <sys/resource.h>

#include <csignal>

namespace vesk::test {

// A disk that takes no more than `limit` bytes per file while this lives: a
// write beyond fails with "File too large" instead of ending the process.
// Tests run as root, so permissions would not make a write fail.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t limit) {
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &previous_);
    rlimit lowered = previous_;
    lowered.rlim_cur = limit;
    setrlimit(RLIMIT_FSIZE, &lowered);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &previous_);
    std::signal(SIGXFSZ, previousHandler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit previous_{};
  void (*previousHandler_)(int);
};

}  // namespace vesk::test
