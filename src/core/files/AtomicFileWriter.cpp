#include "files/AtomicFileWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <variant>

#include "files/PathNames.h"
#include "files/TemporaryFiles.h"

namespace vesk {
namespace {

constexpr std::size_t kMaxTemporaryPathBytes = 4095;
// Keeps "." + name + suffix below the usual limit of 255 bytes per name.
constexpr std::size_t kMaxNameBytesInTemporary = 200;

// A name no other writer in this process uses; O_EXCL settles the rare clash
// with another process.
std::string UniqueSuffix() {
  static std::atomic<std::uint64_t> counter{0};
  std::uint64_t x = counter.fetch_add(1) + 0x9E3779B97F4A7C15ULL * static_cast<std::uint64_t>(getpid()) +
                    static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  // splitmix64, so that successive names do not look alike.
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
  x ^= x >> 31;
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(x));
  return text;
}

// The process's umask, read without changing it (umask(2) can only be read
// by setting it, which would race with other threads creating files).
mode_t CurrentUmask() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("Umask:", 0) != 0) continue;
    return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8) & 0777);
  }
  return 022;
}

}  // namespace

AtomicFileWriter::~AtomicFileWriter() { Abort(); }

bool AtomicFileWriter::Fail(std::string cause) {
  Abort();
  cause_ = std::move(cause);
  error_ = path_ + ": " + cause_;
  return false;
}

bool AtomicFileWriter::FailWithSystemError(const char* what, int error) {
  return Fail(std::string(what) + ": " + std::strerror(error));
}

void AtomicFileWriter::Abort() {
  if (descriptor_ >= 0) ::close(descriptor_);
  descriptor_ = -1;
  if (!temporaryPath_.empty()) ::unlink(temporaryPath_.c_str());
  temporaryPath_.clear();
  UnregisterTemporaryFile(slot_);
  slot_ = -1;
}

bool AtomicFileWriter::Open(const std::string& path) {
  Abort();
  path_ = path;
  bytesWritten_ = 0;
  refused_ = false;
  error_.clear();
  cause_.clear();
  auto resolved = ResolveOutputTarget(path);
  if (auto* refusal = std::get_if<OutputRefusal>(&resolved)) {
    refused_ = true;
    return Fail(refusal->Cause);
  }
  target_ = std::get<OutputTarget>(std::move(resolved));

  const std::string folder = target_.Folder == "/" ? std::string() : target_.Folder;
  const std::string stem = folder + "/." + BareName(target_.FinalPath).substr(0, kMaxNameBytesInTemporary);
  for (int attempt = 0; attempt < 100; ++attempt) {
    // The marker lets a later start tell this process's file from others'.
    const std::string candidate = stem + TemporaryFileMarker() + UniqueSuffix() + ".tmp";
    if (candidate.size() > kMaxTemporaryPathBytes) return Fail("its path is too long");
    // Entered before it exists, so that no moment passes in which a signal
    // could end the process and leave the file behind.
    slot_ = RegisterTemporaryFile(candidate.c_str());
    if (slot_ < 0) return Fail("cannot be written: too many files are being written at once");
    temporaryPath_ = candidate;
    descriptor_ = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (descriptor_ >= 0) return true;
    const int error = errno;
    temporaryPath_.clear();  // not ours: it must not be removed
    UnregisterTemporaryFile(slot_);
    slot_ = -1;
    if (error != EEXIST) return FailWithSystemError("cannot create a temporary file beside it", error);
  }
  return Fail("cannot create a temporary file beside it: every name tried is taken");
}

bool AtomicFileWriter::Write(std::string_view bytes) {
  if (descriptor_ < 0) return Fail("is not open for writing");
  while (!bytes.empty()) {
    const ssize_t written = ::write(descriptor_, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return FailWithSystemError("cannot be written", errno);
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
    bytesWritten_ += static_cast<std::uint64_t>(written);
  }
  return true;
}

bool AtomicFileWriter::Commit() {
  if (descriptor_ < 0) return Fail("is not open for writing");
  mode_t mode = 0666 & ~CurrentUmask();
  if (target_.Exists) {
    mode = target_.Mode;
    // Ownership is kept where the system lets us (root, or a group the user
    // is in); otherwise the file becomes the writer's, as any new file does.
    // Changing the owner first, since it clears the set-user-ID bits.
    struct stat own {};
    if (::fstat(descriptor_, &own) == 0 && (own.st_uid != target_.Owner || own.st_gid != target_.Group)) {
      if (::fchown(descriptor_, target_.Owner, target_.Group) != 0)
        (void)::fchown(descriptor_, static_cast<uid_t>(-1), target_.Group);
    }
  }
  if (::fchmod(descriptor_, mode) != 0) return FailWithSystemError("cannot be given its mode", errno);
  if (target_.Exists && ::fdatasync(descriptor_) != 0 && errno != EINVAL)
    return FailWithSystemError("cannot be written", errno);
  const int descriptor = descriptor_;
  descriptor_ = -1;
  if (::close(descriptor) != 0 && errno != EINTR) return FailWithSystemError("cannot be written", errno);
  if (::rename(temporaryPath_.c_str(), target_.FinalPath.c_str()) != 0)
    return FailWithSystemError("cannot be replaced", errno);
  // Out of the table only now: a signal before this line removes a name that
  // the rename has already freed, which does no harm.
  temporaryPath_.clear();
  UnregisterTemporaryFile(slot_);
  slot_ = -1;
  return true;
}

}  // namespace vesk
