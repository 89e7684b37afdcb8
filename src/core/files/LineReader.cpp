#include "files/LineReader.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <istream>

namespace vesk {
namespace {

constexpr std::size_t kBufferBytes = std::size_t{64} << 10;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsLineBreak(char c) { return c == '\r' || c == '\n'; }

}  // namespace

LineReader::LineReader(int descriptor, const LineLimits& limits)
    : descriptor_(descriptor), limits_(limits), buffer_(kBufferBytes) {
  data_ = buffer_.data();
}

LineReader::LineReader(std::istream& in, const LineLimits& limits)
    : stream_(&in), limits_(limits), buffer_(kBufferBytes) {
  data_ = buffer_.data();
}

LineReader::LineReader(std::string_view bytes, const LineLimits& limits)
    : limits_(limits), data_(bytes.data()), end_(bytes.size()), bytesRead_(static_cast<std::int64_t>(bytes.size())) {
  atEnd_ = true;  // everything is in already
  if (bytesRead_ > limits_.MaxBytes) Fail("is larger than " + DescribeByteCount(limits_.MaxBytes), 0);
}

bool LineReader::Fail(std::string cause, std::int64_t line) {
  failed_ = true;
  cause_ = std::move(cause);
  failedLine_ = static_cast<int>(std::min<std::int64_t>(line, std::numeric_limits<int>::max()));
  return false;
}

// Moves what is left of the buffer to its front and reads more behind it.
// False at the end of the input or after a failure.
bool LineReader::Fill() {
  if (atEnd_ || failed_) return false;
  if (position_ > 0) {
    std::memmove(buffer_.data(), buffer_.data() + position_, end_ - position_);
    end_ -= position_;
    position_ = 0;
  }
  char* const target = buffer_.data() + end_;
  const std::size_t room = buffer_.size() - end_;
  std::size_t got = 0;
  if (stream_ != nullptr) {
    stream_->read(target, static_cast<std::streamsize>(room));
    got = static_cast<std::size_t>(stream_->gcount());
    if (stream_->bad()) return Fail("the file could not be read", 0);
  } else {
    ssize_t n;
    do {
      n = ::read(descriptor_, target, room);
    } while (n < 0 && errno == EINTR);
    if (n < 0) return Fail(std::strerror(errno), 0);
    got = static_cast<std::size_t>(n);
  }
  if (got == 0) {
    atEnd_ = true;
    return false;
  }
  end_ += got;
  bytesRead_ += static_cast<std::int64_t>(got);
  // A file can grow while it is read, and a stream has no size to check first.
  if (bytesRead_ > limits_.MaxBytes) return Fail("is larger than " + DescribeByteCount(limits_.MaxBytes), 0);
  return true;
}

void LineReader::SkipByteOrderMark() {
  started_ = true;
  while (end_ - position_ < kByteOrderMark.size() && Fill()) {
  }
  if (std::string_view(data_ + position_, end_ - position_).substr(0, kByteOrderMark.size()) == kByteOrderMark) {
    position_ += kByteOrderMark.size();
    byteOrderMark_ = true;
  }
}

bool LineReader::Next(std::string& line) {
  line.clear();
  if (failed_) return false;
  if (!started_) {
    SkipByteOrderMark();
    if (failed_) return false;
  }
  for (;;) {
    if (position_ == end_ && !Fill()) {
      if (failed_) return false;
      // The end of the input ends a last line that has no break of its own.
      if (line.empty()) return false;
      break;
    }
    if (afterCarriageReturn_) {
      afterCarriageReturn_ = false;
      if (data_[position_] == '\n') {
        ++position_;
        continue;
      }
    }
    const char* const from = data_ + position_;
    const char* const to = data_ + end_;
    const char* const stop = std::find_if(from, to, IsLineBreak);
    const std::size_t length = static_cast<std::size_t>(stop - from);
    if (length > limits_.MaxLineBytes - line.size())
      return Fail("line " + std::to_string(lineNumber_ + 1) + " is longer than " +
                      DescribeByteCount(static_cast<std::int64_t>(limits_.MaxLineBytes)),
                  lineNumber_ + 1);
    line.append(from, length);
    position_ += length;
    if (stop == to) continue;
    afterCarriageReturn_ = *stop == '\r';
    ++position_;
    break;
  }
  if (lineNumber_ >= limits_.MaxLines) return Fail("has more than " + std::to_string(limits_.MaxLines) + " lines", 0);
  ++lineNumber_;
  return true;
}

bool ReadAllLines(LineReader& reader, std::vector<std::string>& lines) {
  std::vector<std::string> read;
  std::string line;
  while (reader.Next(line)) read.push_back(line);
  if (reader.Failed()) return false;
  lines = std::move(read);
  return true;
}

bool ReadFirstLines(LineReader& reader, std::size_t count, std::vector<std::string>& lines) {
  std::vector<std::string> read;
  std::string line;
  while (read.size() < count && reader.Next(line)) read.push_back(line);
  if (reader.Failed()) return false;
  lines = std::move(read);
  return true;
}

}  // namespace vesk
