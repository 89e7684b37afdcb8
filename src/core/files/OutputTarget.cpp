#include "files/OutputTarget.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "files/InputFile.h"

namespace vesk {
namespace {

OutputRefusal Refuse(const std::string& path, OutputRefusalReason reason, std::string cause) {
  std::string text = path + ": " + cause;
  return OutputRefusal{reason, std::move(cause), std::move(text)};
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string LinkText(const std::string& path) {
  char target[PATH_MAX];
  const ssize_t length = readlink(path.c_str(), target, sizeof target - 1);
  return length < 0 ? std::string("?") : std::string(target, static_cast<std::size_t>(length));
}

// The file `path` names after every symbolic link, or the refusal.
std::variant<std::string, OutputRefusal> FollowLinks(const std::string& path) {
  const std::unique_ptr<char, decltype(&std::free)> resolved(realpath(path.c_str(), nullptr), &std::free);
  if (resolved) return std::string(resolved.get());
  const int error = errno;
  if (error == ENOENT || error == ENOTDIR)
    return Refuse(path, OutputRefusalReason::DanglingLink,
                  "is a symbolic link to " + LinkText(path) + ", which does not exist");
  return Refuse(path, OutputRefusalReason::Unresolvable, std::string("cannot be followed: ") + std::strerror(error));
}

// Nothing when a new file can be created in the folder of `finalPath`.
std::optional<OutputRefusal> CheckFolder(const std::string& path, const std::string& finalPath, bool replacing) {
  const std::string folder = FolderOf(finalPath);
  struct stat info {};
  if (stat(folder.c_str(), &info) != 0) {
    const int error = errno;
    if (error == ENOENT || error == ENOTDIR)
      return Refuse(path, OutputRefusalReason::FolderMissing, "its folder does not exist");
    return Refuse(path, OutputRefusalReason::Unresolvable,
                  "its folder cannot be examined: " + std::string(std::strerror(error)));
  }
  if (!S_ISDIR(info.st_mode)) return Refuse(path, OutputRefusalReason::FolderMissing, "its folder does not exist");
  if (access(folder.c_str(), W_OK | X_OK) != 0) {
    // The file is written beside its final place and renamed over it, so
    // even an existing file needs a folder that takes new files.
    std::string cause = "its folder " + folder + " is not writable (" + std::strerror(errno) + ")";
    if (replacing) cause += ", so the file cannot be replaced whole";
    return Refuse(path, OutputRefusalReason::FolderNotWritable, std::move(cause));
  }
  return std::nullopt;
}

// The input that is the same file as `target`, if any.
std::optional<std::string> SameFileAmong(const struct stat& target, const std::vector<std::string>& inputs) {
  for (const std::string& input : inputs) {
    struct stat info {};
    if (stat(input.c_str(), &info) != 0) continue;
    if (info.st_dev == target.st_dev && info.st_ino == target.st_ino) return input;
  }
  return std::nullopt;
}

}  // namespace

std::variant<OutputTarget, OutputRefusal> ResolveOutputTarget(const std::string& path,
                                                              const std::vector<std::string>& inputs) {
  if (path.empty()) return Refuse(path, OutputRefusalReason::Unresolvable, "is no file name");
  OutputTarget target;
  target.FinalPath = path;
  struct stat link {};
  if (lstat(path.c_str(), &link) != 0) {
    const int error = errno;
    if (error == ENOTDIR) return Refuse(path, OutputRefusalReason::FolderMissing, "its folder does not exist");
    if (error != ENOENT)
      return Refuse(path, OutputRefusalReason::Unresolvable,
                    std::string("cannot be examined: ") + std::strerror(error));
    if (auto refusal = CheckFolder(path, path, false)) return std::move(*refusal);
    target.Folder = FolderOf(path);
    return target;
  }
  if (S_ISLNK(link.st_mode)) {
    auto followed = FollowLinks(path);
    if (auto* refusal = std::get_if<OutputRefusal>(&followed)) return std::move(*refusal);
    target.FinalPath = std::get<std::string>(std::move(followed));
  }

  struct stat info {};
  if (stat(target.FinalPath.c_str(), &info) != 0)
    return Refuse(path, OutputRefusalReason::Unresolvable, std::string("cannot be examined: ") + std::strerror(errno));
  if (S_ISDIR(info.st_mode)) return Refuse(path, OutputRefusalReason::Folder, "is a folder");
  if (!S_ISREG(info.st_mode)) return Refuse(path, OutputRefusalReason::NotRegular, DescribeNotRegular(info.st_mode));
  if (const auto input = SameFileAmong(info, inputs)) {
    const std::string same = *input == path ? std::string() : " (the same file as " + *input + ")";
    return Refuse(path, OutputRefusalReason::Input, "is one of the inputs" + same);
  }
  if (access(target.FinalPath.c_str(), W_OK) != 0)
    return Refuse(path, OutputRefusalReason::NotWritable,
                  std::string("is not writable (") + std::strerror(errno) + ")");
  if (auto refusal = CheckFolder(path, target.FinalPath, true)) return std::move(*refusal);
  target.Folder = FolderOf(target.FinalPath);
  target.Exists = true;
  target.Mode = info.st_mode & 07777;
  target.Owner = info.st_uid;
  target.Group = info.st_gid;
  return target;
}

std::optional<OutputRefusal> CheckOutputTarget(const std::string& path, const std::vector<std::string>& inputs) {
  auto resolved = ResolveOutputTarget(path, inputs);
  if (auto* refusal = std::get_if<OutputRefusal>(&resolved)) return std::move(*refusal);
  return std::nullopt;
}

}  // namespace vesk
