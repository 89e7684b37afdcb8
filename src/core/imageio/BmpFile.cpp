#include "imageio/BmpFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "files/AtomicFileWriter.h"
#include "files/InputFile.h"

namespace vesk {
namespace {

// A descriptor closed when it goes.
class OpenFile {
 public:
  explicit OpenFile(int fd) : fd_(fd) {}
  ~OpenFile() {
    if (fd_ >= 0) ::close(fd_);
  }
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;
  int Fd() const { return fd_; }
  // Closes now; the system's errno when closing reported a failure (a
  // delayed write error), 0 otherwise.
  int Close() {
    const int result = ::close(fd_);
    fd_ = -1;
    return result == 0 ? 0 : errno;
  }

 private:
  int fd_;
};

BmpFailure SystemFailure(const std::string& what, const std::string& path, int error) {
  return BmpFailure{BmpFault::IoError, what + " " + path + ": " + std::strerror(error)};
}

// A FIFO or a device is refused before it is opened: opening one could block
// or have effects, and reading it might never end.
int OpenForReading(const std::string& path) {
  if (const auto problem = InspectInputFile(path)) {
    errno = problem->Reason == InputRefusal::Missing  ? ENOENT
            : problem->Reason == InputRefusal::Folder ? EISDIR
                                                      : EINVAL;
    return -1;
  }
  return ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
}

// The encoder's bytes, streamed into an atomic write.
class AtomicWriterSink : public ByteSink {
 public:
  explicit AtomicWriterSink(AtomicFileWriter& writer) : writer_(writer) {}
  bool Write(const void* bytes, std::size_t size) override {
    return writer_.Write(std::string_view(static_cast<const char*>(bytes), size));
  }
  std::string Failure() const override { return writer_.Error(); }

 private:
  AtomicFileWriter& writer_;
};

}  // namespace

BmpInfoResult ReadBmpFileInfo(const std::string& path) {
  OpenFile file(OpenForReading(path));
  if (file.Fd() < 0) return BmpInfoResult{{}, SystemFailure("opening", path, errno)};
  FileByteSource source(file.Fd());
  return ReadBmpInfo(source);
}

BmpDecodeResult LoadBmpFile(const std::string& path, const BmpLimits& limits, ProgressSink& progress,
                            const CancelToken& cancel) {
  OpenFile file(OpenForReading(path));
  if (file.Fd() < 0) {
    BmpDecodeResult result;
    result.Failure = SystemFailure("opening", path, errno);
    return result;
  }
  FileByteSource source(file.Fd());
  return DecodeBmp(source, limits, progress, cancel);
}

BmpFailure CheckBmpFilePixelData(const std::string& path) {
  OpenFile file(OpenForReading(path));
  if (file.Fd() < 0) return SystemFailure("opening", path, errno);
  FileByteSource source(file.Fd());
  return CheckBmpPixelData(source);
}

BmpFailure SaveBmpFile(const std::string& path, const RgbImage& image, ProgressSink& progress,
                       const CancelToken& cancel) {
  // Refusals that need no file come before one is made.
  if (image.Empty() || !EncodedBmpSize(image.Width(), image.Height())) {
    VectorByteSink unused;  // the encoder refuses these before writing a byte
    return EncodeBmp(image, unused, progress, cancel);
  }
  AtomicFileWriter writer;
  if (!writer.Open(path)) return BmpFailure{BmpFault::IoError, writer.Error()};
  AtomicWriterSink sink(writer);
  BmpFailure failure = EncodeBmp(image, sink, progress, cancel);
  if (failure.Failed()) {
    writer.Abort();
    return failure;
  }
  if (!writer.Commit()) return BmpFailure{BmpFault::IoError, writer.Error()};
  return failure;
}

}  // namespace vesk
