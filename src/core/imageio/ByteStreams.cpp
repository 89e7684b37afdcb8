#include "imageio/ByteStreams.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace vesk {
namespace {

// One system call moves at most this much, well below what read() and
// write() accept on every system.
constexpr std::size_t kMaxCallBytes = std::size_t{1} << 30;

}  // namespace

std::size_t MemoryByteSource::Read(void* buffer, std::size_t size) {
  const std::size_t count = std::min(size, bytes_.size() - at_);
  if (count > 0) std::memcpy(buffer, bytes_.data() + at_, count);
  at_ += count;
  return count;
}

bool VectorByteSink::Write(const void* bytes, std::size_t size) {
  const auto* first = static_cast<const std::uint8_t*>(bytes);
  bytes_.insert(bytes_.end(), first, first + size);
  return true;
}

FileByteSource::FileByteSource(int fd) : fd_(fd) {
  struct stat status {};
  if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) return;
  const off_t position = lseek(fd, 0, SEEK_CUR);
  if (position < 0) return;
  remaining_ = status.st_size > position ? static_cast<std::uint64_t>(status.st_size - position) : 0;
#if defined(POSIX_FADV_SEQUENTIAL)
  posix_fadvise(fd, position, 0, POSIX_FADV_SEQUENTIAL);  // a hint for read-ahead; a refusal changes nothing
#endif
}

std::size_t FileByteSource::Read(void* buffer, std::size_t size) {
  auto* at = static_cast<std::uint8_t*>(buffer);
  std::size_t done = 0;
  while (done < size) {
    const ssize_t got = ::read(fd_, at + done, std::min(size - done, kMaxCallBytes));
    if (got < 0) {
      if (errno == EINTR) continue;
      failure_ = std::strerror(errno);
      break;
    }
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  if (remaining_) *remaining_ -= std::min<std::uint64_t>(*remaining_, done);
  return done;
}

std::optional<std::uint64_t> FileByteSource::Remaining() const { return remaining_; }

bool FileByteSink::Write(const void* bytes, std::size_t size) {
  const auto* at = static_cast<const std::uint8_t*>(bytes);
  std::size_t done = 0;
  while (done < size) {
    const ssize_t put = ::write(fd_, at + done, std::min(size - done, kMaxCallBytes));
    if (put < 0) {
      if (errno == EINTR) continue;
      failure_ = std::strerror(errno);
      return false;
    }
    if (put == 0) {
      failure_ = std::strerror(ENOSPC);
      return false;
    }
    done += static_cast<std::size_t>(put);
  }
  return true;
}

}  // namespace vesk
