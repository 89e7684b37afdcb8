#include "files/TemporaryFiles.h"

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace vesk {
namespace {

constexpr std::size_t kMaxPathBytes = 4096;  // PATH_MAX on Linux, with the terminating zero

// A slot's life: Free -> Filling -> Live -> Free, taken by its writer. A
// removal passes it through Removing to Removed, and only the writer frees it
// again, so a slot is never handed to a second writer while the first still
// counts on it.
enum SlotState : int { kFree, kFilling, kLive, kRemoving, kRemoved };

struct Slot {
  std::atomic<int> State{kFree};
  char Path[kMaxPathBytes];
};

static_assert(std::atomic<int>::is_always_lock_free, "the signal handler needs lock-free slots");

Slot slots[kMaxLiveTemporaryFiles];

extern "C" void RemoveTemporaryFilesAndEnd(int signal) {
  const int savedErrno = errno;
  RemoveTemporaryFilesNow();
  // End as the signal would have: with the default action, raised again. It
  // is blocked while this handler runs and arrives once it returns.
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  sigemptyset(&fallback.sa_mask);
  sigaction(signal, &fallback, nullptr);
  raise(signal);
  errno = savedErrno;
}

void RemoveOnExit() { RemoveTemporaryFilesNow(); }

}  // namespace

int RegisterTemporaryFile(const char* path) {
  const std::size_t length = std::strlen(path);
  if (length >= kMaxPathBytes) return -1;
  for (int i = 0; i < kMaxLiveTemporaryFiles; ++i) {
    int expected = kFree;
    if (!slots[i].State.compare_exchange_strong(expected, kFilling, std::memory_order_acquire)) continue;
    std::memcpy(slots[i].Path, path, length + 1);
    slots[i].State.store(kLive, std::memory_order_release);
    return i;
  }
  return -1;
}

void UnregisterTemporaryFile(int slot) {
  if (slot < 0 || slot >= kMaxLiveTemporaryFiles) return;
  std::atomic<int>& state = slots[slot].State;
  for (;;) {
    int expected = kLive;
    if (state.compare_exchange_strong(expected, kFree, std::memory_order_acq_rel)) return;
    if (expected == kRemoved) {
      state.store(kFree, std::memory_order_release);
      return;
    }
    // Another thread is removing the file right now, on its way out.
    std::this_thread::yield();
  }
}

void RemoveTemporaryFilesNow() noexcept {
  for (Slot& slot : slots) {
    int expected = kLive;
    if (!slot.State.compare_exchange_strong(expected, kRemoving, std::memory_order_acq_rel)) continue;
    unlink(slot.Path);
    slot.State.store(kRemoved, std::memory_order_release);
  }
}

void InstallTemporaryFileCleanupOnSignals() {
  static std::atomic<bool> installed{false};
  if (installed.exchange(true)) return;
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction current {};
    if (sigaction(signal, nullptr, &current) != 0) continue;
    const bool isDefault = (current.sa_flags & SA_SIGINFO) == 0 && current.sa_handler == SIG_DFL;
    if (!isDefault) continue;
    struct sigaction cleanup {};
    cleanup.sa_handler = RemoveTemporaryFilesAndEnd;
    sigemptyset(&cleanup.sa_mask);
    // Any of the three arriving during the cleanup waits for it to finish.
    sigaddset(&cleanup.sa_mask, SIGINT);
    sigaddset(&cleanup.sa_mask, SIGTERM);
    sigaddset(&cleanup.sa_mask, SIGHUP);
    sigaction(signal, &cleanup, nullptr);
  }
  std::atexit(RemoveOnExit);
}

}  // namespace vesk
