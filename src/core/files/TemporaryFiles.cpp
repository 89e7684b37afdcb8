#include "files/TemporaryFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <optional>
#include <sstream>
#include <thread>
#include <vector>

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
  char Entry[kMaxPathBytes];  // its journal entry; empty without one
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

std::mutex journalMutex;
std::string journalFolder;  // guarded by journalMutex
std::atomic<unsigned> entryCounter{0};

std::string ReadSmallFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Changes at every start of the system: a process noted before is gone.
std::string BootId() {
  std::string id = ReadSmallFile("/proc/sys/kernel/random/boot_id");
  while (!id.empty() && (id.back() == '\n' || id.back() == ' ')) id.pop_back();
  return id;
}

// The start of process `pid` in clock ticks since the system started (the
// 22nd field of its stat file), or empty when it cannot be read. A process
// id used again by a later process comes with another start.
std::string ProcessStart(long pid) {
  const std::string stat = ReadSmallFile("/proc/" + std::to_string(pid) + "/stat");
  const std::size_t name = stat.rfind(')');
  if (name == std::string::npos) return {};
  std::istringstream fields(stat.substr(name + 1));
  std::string field;
  for (int i = 3; i <= 22; ++i)
    if (!(fields >> field)) return {};
  return field;
}

// Writes the journal entry of the temporary file `path` into `entry`
// (empty when no journal is kept or it cannot be written: the file is then
// only removed by its own process).
void WriteEntry(const char* path, char* entry) {
  entry[0] = '\0';
  std::string folder;
  {
    std::lock_guard<std::mutex> lock(journalMutex);
    folder = journalFolder;
  }
  if (folder.empty()) return;
  const long pid = static_cast<long>(getpid());
  const std::string name = folder + "/" + std::to_string(pid) + "-" + std::to_string(entryCounter.fetch_add(1)) + "-" +
                           std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) + ".entry";
  if (name.size() >= kMaxPathBytes) return;
  const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return;
  const std::string text = BootId() + "\n" + std::to_string(pid) + "\n" + ProcessStart(pid) + "\n" + path;
  const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  ::close(fd);
  if (!written) {
    ::unlink(name.c_str());
    return;
  }
  std::memcpy(entry, name.c_str(), name.size() + 1);
}

void RemoveEntry(char* entry) {
  if (entry[0] != '\0') unlink(entry);
  entry[0] = '\0';
}

struct JournalEntry {
  std::string BootId;
  long Pid = 0;
  std::string Start;
  std::string Path;
};

std::optional<JournalEntry> ReadEntry(const std::string& file) {
  std::istringstream text(ReadSmallFile(file));
  JournalEntry entry;
  std::string pid;
  if (!std::getline(text, entry.BootId) || !std::getline(text, pid) || !std::getline(text, entry.Start) ||
      !std::getline(text, entry.Path))
    return std::nullopt;
  char* end = nullptr;
  entry.Pid = std::strtol(pid.c_str(), &end, 10);
  if (pid.empty() || *end != '\0' || entry.Pid <= 0) return std::nullopt;
  return entry;
}

// Whether the process of `entry` has ended. In doubt it counts as running.
bool ProcessEnded(const JournalEntry& entry) {
  if (!entry.BootId.empty() && entry.BootId != BootId()) return true;
  if (::kill(static_cast<pid_t>(entry.Pid), 0) != 0 && errno == ESRCH) return true;
  const std::string start = ProcessStart(entry.Pid);
  return !start.empty() && !entry.Start.empty() && start != entry.Start;
}

std::string MarkerOf(long pid) { return ".vesk-" + std::to_string(pid) + "-"; }

// The temporary file an ended process left: removed only when it is one of
// ours by name, kind and owner.
bool RemoveLeftFile(const JournalEntry& entry) {
  const std::size_t slash = entry.Path.rfind('/');
  const std::string name = slash == std::string::npos ? entry.Path : entry.Path.substr(slash + 1);
  const std::string suffix = ".tmp";
  if (name.empty() || name[0] != '.' || name.find(MarkerOf(entry.Pid)) == std::string::npos ||
      name.size() < suffix.size() || name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
    return false;
  struct stat info {};
  if (::lstat(entry.Path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::getuid()) return false;
  return ::unlink(entry.Path.c_str()) == 0;
}

}  // namespace

std::string TemporaryFileMarker() { return MarkerOf(static_cast<long>(getpid())); }

void KeepTemporaryFileJournal(const std::string& folder) {
  if (!folder.empty()) {
    // Each missing level, private to the user.
    for (std::size_t at = folder.find('/', 1); at != std::string::npos; at = folder.find('/', at + 1))
      ::mkdir(folder.substr(0, at).c_str(), 0700);
    ::mkdir(folder.c_str(), 0700);
  }
  std::lock_guard<std::mutex> lock(journalMutex);
  journalFolder = folder;
}

std::string DefaultTemporaryFileJournal(const std::function<const char*(const char*)>& getenv) {
  const char* state = getenv("XDG_STATE_HOME");
  if (state != nullptr && state[0] == '/') return std::string(state) + "/vesk/unfinished-files";
  const char* home = getenv("HOME");
  if (home != nullptr && home[0] == '/') return std::string(home) + "/.local/state/vesk/unfinished-files";
  return {};
}

int RemoveAbandonedTemporaryFiles() {
  std::string folder;
  {
    std::lock_guard<std::mutex> lock(journalMutex);
    folder = journalFolder;
  }
  if (folder.empty()) return 0;
  DIR* listing = ::opendir(folder.c_str());
  if (listing == nullptr) return 0;
  std::vector<std::string> entries;
  while (const dirent* item = ::readdir(listing)) {
    const std::string name = item->d_name;
    if (name.size() > 6 && name.compare(name.size() - 6, 6, ".entry") == 0) entries.push_back(folder + "/" + name);
  }
  ::closedir(listing);
  int removed = 0;
  for (const std::string& file : entries) {
    const std::optional<JournalEntry> entry = ReadEntry(file);
    if (!entry) continue;  // being written right now, or not ours to judge
    if (entry->Pid == static_cast<long>(getpid()) || !ProcessEnded(*entry)) continue;
    if (RemoveLeftFile(*entry)) ++removed;
    ::unlink(file.c_str());
  }
  return removed;
}

int RegisterTemporaryFile(const char* path) {
  const std::size_t length = std::strlen(path);
  if (length >= kMaxPathBytes) return -1;
  for (int i = 0; i < kMaxLiveTemporaryFiles; ++i) {
    int expected = kFree;
    if (!slots[i].State.compare_exchange_strong(expected, kFilling, std::memory_order_acquire)) continue;
    std::memcpy(slots[i].Path, path, length + 1);
    WriteEntry(path, slots[i].Entry);
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
    if (state.compare_exchange_strong(expected, kFilling, std::memory_order_acq_rel)) {
      RemoveEntry(slots[slot].Entry);
      state.store(kFree, std::memory_order_release);
      return;
    }
    if (expected == kRemoved) {
      RemoveEntry(slots[slot].Entry);
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
    if (slot.Entry[0] != '\0') unlink(slot.Entry);
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
