#include "imageio/BmpFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>

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

int OpenForReading(const std::string& path) { return ::open(path.c_str(), O_RDONLY | O_CLOEXEC); }

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

BmpFailure SaveBmpFile(const std::string& path, const RgbImage& image, ProgressSink& progress,
                       const CancelToken& cancel) {
  // Refusals that need no file come before one is made.
  if (image.Empty() || !EncodedBmpSize(image.Width(), image.Height())) {
    VectorByteSink unused;  // the encoder refuses these before writing a byte
    return EncodeBmp(image, unused, progress, cancel);
  }
  std::random_device seed;
  std::string temporary;
  int fd = -1;
  for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
    temporary = path + ".tmp" + std::to_string(seed() % 1000000);
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) return SystemFailure("creating", temporary, errno);
  OpenFile file(fd);
  FileByteSink sink(file.Fd());
  BmpFailure failure = EncodeBmp(image, sink, progress, cancel);
  if (const int error = file.Close(); !failure.Failed() && error != 0)
    failure = SystemFailure("writing", temporary, error);
  if (!failure.Failed() && std::rename(temporary.c_str(), path.c_str()) != 0)
    failure = SystemFailure("renaming the finished file to", path, errno);
  if (failure.Failed()) ::unlink(temporary.c_str());
  return failure;
}

}  // namespace vesk
