#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>

namespace vesk {

// No real data file comes near this size; a bigger one is a wrong file (a disk
// image, a photograph given in the wrong field) that must not fill the memory.
inline constexpr std::int64_t kMaxDataFileBytes = std::int64_t{256} << 20;

enum class InputRefusal {
  Missing,     // nothing at the path, or a folder on the way is missing
  Folder,      // the path names a folder
  NotRegular,  // a FIFO, a device, a socket: reading could hang or never end
  TooLarge,    // above the size bound
  Unreadable,  // the system refused to open or examine it
};

// Why a data file is not read. `Cause` is English and does not name the path:
// "is a folder", "is not a regular file (a FIFO)", "Permission denied".
struct InputProblem {
  InputRefusal Reason;
  std::string Cause;
};

// What stands at `path` (symbolic links followed), without opening it: nothing
// when it is a regular file, otherwise why it is no data file. The size is not
// looked at.
std::optional<InputProblem> InspectInputFile(const std::string& path);

// A data file open for reading: a regular file no larger than the bound.
// Nothing else is ever opened, so a FIFO cannot block the open and a device
// cannot be started by it. Closes the file when it goes.
class InputFile {
 public:
  InputFile() = default;
  ~InputFile();
  InputFile(InputFile&& other) noexcept;
  InputFile& operator=(InputFile&& other) noexcept;
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // False, with Problem() telling why, when the file is refused.
  bool Open(const std::string& path, std::int64_t maxBytes = kMaxDataFileBytes);

  bool IsOpen() const { return descriptor_ >= 0; }
  int Descriptor() const { return descriptor_; }
  // Why the last Open failed.
  const InputProblem& Problem() const { return problem_; }

 private:
  void Close();

  int descriptor_ = -1;
  InputProblem problem_{InputRefusal::Missing, ""};
};

// "256 MiB", "1 MiB": a byte count as the messages give it.
std::string DescribeByteCount(std::int64_t bytes);

// "is not a regular file (a FIFO)", for a file of the type in `mode`.
std::string DescribeNotRegular(mode_t mode);

}  // namespace vesk
