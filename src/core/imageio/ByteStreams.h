#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vesk {

// Where an image decoder takes its bytes from, in order, without seeking.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads up to `size` bytes into `buffer` and returns how many it read:
  // all of them unless the data ended, or reading failed, first. After a
  // short count Failure() tells which: empty at the end of the data, the
  // system's explanation otherwise.
  virtual std::size_t Read(void* buffer, std::size_t size) = 0;
  virtual std::string Failure() const { return {}; }
  // Bytes still to come, when the source knows them (a regular file, a
  // memory block): lets a decoder refuse a file that is far too short for
  // what its header declares before allocating anything.
  virtual std::optional<std::uint64_t> Remaining() const { return std::nullopt; }
};

// Where an image encoder puts its bytes, in order.
class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // Takes all `size` bytes; false when they could not be written, and then
  // Failure() gives the system's explanation.
  virtual bool Write(const void* bytes, std::size_t size) = 0;
  virtual std::string Failure() const { return {}; }
};

// Bytes of a block the caller keeps alive.
class MemoryByteSource : public ByteSource {
 public:
  explicit MemoryByteSource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  std::size_t Read(void* buffer, std::size_t size) override;
  std::optional<std::uint64_t> Remaining() const override { return bytes_.size() - at_; }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t at_ = 0;
};

// Collects everything written into a vector.
class VectorByteSink : public ByteSink {
 public:
  bool Write(const void* bytes, std::size_t size) override;
  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
};

// Reads an open POSIX file descriptor from its current position with
// read(); the descriptor stays the caller's. Interrupted calls are retried.
class FileByteSource : public ByteSource {
 public:
  explicit FileByteSource(int fd);
  std::size_t Read(void* buffer, std::size_t size) override;
  std::string Failure() const override { return failure_; }
  std::optional<std::uint64_t> Remaining() const override;

 private:
  int fd_;
  std::optional<std::uint64_t> remaining_;  // known for regular files only
  std::string failure_;
};

// Writes to an open POSIX file descriptor with write(); the descriptor stays
// the caller's. Short writes and interrupted calls are continued.
class FileByteSink : public ByteSink {
 public:
  explicit FileByteSink(int fd) : fd_(fd) {}
  bool Write(const void* bytes, std::size_t size) override;
  std::string Failure() const override { return failure_; }

 private:
  int fd_;
  std::string failure_;
};

}  // namespace vesk
