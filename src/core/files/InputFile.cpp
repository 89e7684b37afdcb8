#include "files/InputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace vesk {
namespace {

// Nothing for a regular file, otherwise why the file at `info` is none.
std::optional<InputProblem> KindProblem(const struct stat& info) {
  if (S_ISREG(info.st_mode)) return std::nullopt;
  if (S_ISDIR(info.st_mode)) return InputProblem{InputRefusal::Folder, "is a folder"};
  return InputProblem{InputRefusal::NotRegular, DescribeNotRegular(info.st_mode)};
}

InputProblem SystemProblem(int error) {
  if (error == ENOENT || error == ENOTDIR) return InputProblem{InputRefusal::Missing, "does not exist"};
  return InputProblem{InputRefusal::Unreadable, std::strerror(error)};
}

std::optional<InputProblem> SizeProblem(const struct stat& info, std::int64_t maxBytes) {
  if (static_cast<std::int64_t>(info.st_size) <= maxBytes) return std::nullopt;
  return InputProblem{InputRefusal::TooLarge, "is larger than " + DescribeByteCount(maxBytes)};
}

}  // namespace

std::string DescribeByteCount(std::int64_t bytes) {
  constexpr std::int64_t kMiB = std::int64_t{1} << 20;
  constexpr std::int64_t kKiB = std::int64_t{1} << 10;
  if (bytes >= kMiB && bytes % kMiB == 0) return std::to_string(bytes / kMiB) + " MiB";
  if (bytes >= kKiB && bytes % kKiB == 0) return std::to_string(bytes / kKiB) + " KiB";
  return std::to_string(bytes) + " bytes";
}

std::string DescribeNotRegular(mode_t mode) {
  const char* kind = "of an unknown kind";
  if (S_ISFIFO(mode)) kind = "a FIFO";
  if (S_ISCHR(mode)) kind = "a character device";
  if (S_ISBLK(mode)) kind = "a block device";
  if (S_ISSOCK(mode)) kind = "a socket";
  return std::string("is not a regular file (") + kind + ")";
}

std::optional<InputProblem> InspectInputFile(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return SystemProblem(errno);
  return KindProblem(info);
}

InputFile::~InputFile() { Close(); }

InputFile::InputFile(InputFile&& other) noexcept
    : descriptor_(std::exchange(other.descriptor_, -1)), problem_(std::move(other.problem_)) {}

InputFile& InputFile::operator=(InputFile&& other) noexcept {
  if (this != &other) {
    Close();
    descriptor_ = std::exchange(other.descriptor_, -1);
    problem_ = std::move(other.problem_);
  }
  return *this;
}

void InputFile::Close() {
  if (descriptor_ >= 0) ::close(descriptor_);
  descriptor_ = -1;
}

bool InputFile::Open(const std::string& path, std::int64_t maxBytes) {
  Close();
  const auto refuse = [this](InputProblem problem) {
    problem_ = std::move(problem);
    Close();
    return false;
  };
  // Look before opening: opening a device can have effects of its own.
  if (auto problem = InspectInputFile(path)) return refuse(std::move(*problem));
  // O_NONBLOCK keeps the open from waiting for a writer should a FIFO have
  // taken the file's place since; the descriptor is checked again below.
  descriptor_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (descriptor_ < 0) return refuse(SystemProblem(errno));
  struct stat info {};
  if (::fstat(descriptor_, &info) != 0) return refuse(SystemProblem(errno));
  if (auto problem = KindProblem(info)) return refuse(std::move(*problem));
  if (auto problem = SizeProblem(info, maxBytes)) return refuse(std::move(*problem));
  const int flags = ::fcntl(descriptor_, F_GETFL);
  if (flags >= 0) ::fcntl(descriptor_, F_SETFL, flags & ~O_NONBLOCK);
  return true;
}

}  // namespace vesk
