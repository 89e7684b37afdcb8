#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "files/OutputTarget.h"

namespace vesk {

// Writes a file so that it appears whole or not at all: the bytes go into a
// new temporary file beside the final one, which is renamed over it on Commit.
// The target is checked first as ResolveOutputTarget checks it; a symbolic
// link is written through to its final file. An existing file keeps its mode,
// and its owner and group where the system allows it. The temporary file is
// created exclusively (never through a link), readable by the owner only until
// Commit, and removed by Abort, by the destructor and, when the program called
// InstallTemporaryFileCleanupOnSignals, by SIGINT, SIGTERM and SIGHUP.
//
// On Commit, a file that replaces an existing one is first flushed to the disk
// (fdatasync), so that a crash cannot leave an empty or half-written file in
// place of the good old one; a new file is not, since it replaces nothing and
// a large result would make the user wait for the disk.
//
// Every failure leaves the old file as it was and says why, naming the path.
class AtomicFileWriter {
 public:
  AtomicFileWriter() = default;
  ~AtomicFileWriter();
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  // Checks `path` and creates the temporary file. False on failure.
  bool Open(const std::string& path);
  // Appends bytes; may be called any number of times, so that a large file is
  // passed through in pieces. False on failure (the temporary file is gone).
  bool Write(std::string_view bytes);
  // Puts the file in place. False on failure (the temporary file is gone).
  bool Commit();
  // Removes the temporary file; the old file stays as it was.
  void Abort();

  bool IsOpen() const { return descriptor_ >= 0; }
  // Where the file goes, links followed; known once Open has succeeded.
  const std::string& FinalPath() const { return target_.FinalPath; }
  // The temporary file while it exists (for tests).
  const std::string& TemporaryPath() const { return temporaryPath_; }
  std::uint64_t BytesWritten() const { return bytesWritten_; }

  // Why the last step failed: the path as given, a colon and the cause.
  const std::string& Error() const { return error_; }
  // The same without the path: "is not a regular file (a FIFO)".
  const std::string& Cause() const { return cause_; }
  // Set when Open refused the target itself rather than failing to write.
  bool Refused() const { return refused_; }

 private:
  bool Fail(std::string cause);
  bool FailWithSystemError(const char* what, int error);

  std::string path_;
  OutputTarget target_;
  std::string temporaryPath_;
  int descriptor_ = -1;
  int slot_ = -1;
  std::uint64_t bytesWritten_ = 0;
  std::string error_;
  std::string cause_;
  bool refused_ = false;
};

}  // namespace vesk
