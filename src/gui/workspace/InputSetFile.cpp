#include "gui/workspace/InputSetFile.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "common/UserDialogs.h"

namespace vesk::gui {

std::optional<ReadFailure> ReadInputSetProject(const std::string& path, ProjectFields& fields) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0)
    return ReadFailure{UserMessage{MessageIcon::Error, kErrorCaptionPlain, kProjectReadError}, path, 0,
                       std::strerror(errno)};
  return ReadProject(path, fields);
}

}  // namespace vesk::gui
