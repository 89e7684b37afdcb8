#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace vesk {

// Why a file is not to be written.
enum class OutputRefusalReason {
  Folder,             // the path names a folder
  NotRegular,         // a device, a FIFO, a socket: replacing it would break the system's file
  DanglingLink,       // a symbolic link to nothing: writing through it would create a file elsewhere
  Input,              // the same file as one of the inputs of the work that writes it
  NotWritable,        // the user may not write the file
  FolderMissing,      // the folder the file would go into does not exist
  FolderNotWritable,  // no file can be created beside it, so it cannot be replaced whole
  Unresolvable,       // the system could not tell what the path names (a link loop, a denied search)
};

struct OutputRefusal {
  OutputRefusalReason Reason;
  std::string Cause;  // English, without the path: "is not a regular file (a FIFO)"
  std::string Text;   // the path, a colon and the cause
};

// The file a write to a path really goes to.
struct OutputTarget {
  std::string FinalPath;  // symbolic links followed to the end
  std::string Folder;     // the folder of FinalPath, where its temporary file goes
  bool Exists = false;
  mode_t Mode = 0;  // permission bits of the existing file
  uid_t Owner = 0;
  gid_t Group = 0;
};

// Follows `path` through symbolic links to the file a write would replace or
// create and checks that it may be written: an existing target must be a
// regular file the user may write (by access(2), so root keeps its rights)
// that is none of `inputs` (compared as files: another name of the same file
// counts; inputs that do not exist are skipped), and its folder must exist and
// take new files.
std::variant<OutputTarget, OutputRefusal> ResolveOutputTarget(const std::string& path,
                                                              const std::vector<std::string>& inputs = {});

// The refusal of ResolveOutputTarget, or nothing when `path` may be written.
std::optional<OutputRefusal> CheckOutputTarget(const std::string& path, const std::vector<std::string>& inputs = {});

}  // namespace vesk
