#pragma once

#include <string>
#include <string_view>

namespace vesk {

// How the workspaces name files: they hold whole paths and show bare names,
// and take a typed name relative to the folder of the path it replaces.
// The separator is the platform's ("/").
inline constexpr char kPathSeparator = '/';

// The path with everything up to and including its last separator removed
// (the path itself when it has none).
std::string BareName(std::string_view path);

// The folder of `current` (up to and including its last separator) followed
// by `typed`; `typed` alone when `current` has no separator, and when it is
// itself a whole path (begins with the separator): a pasted full path must
// not be glued onto another folder.
std::string FolderRelativePath(std::string_view typed, std::string_view current);

// The folder part of `path`, up to and including its last separator; empty
// for a bare name.
std::string FolderOf(std::string_view path);

// The companion file of `path`: its last three characters replaced by
// `extension` ("left.bmp" -> "left.crd"). A path of fewer than three
// characters is taken whole.
std::string CompanionPath(std::string_view path, std::string_view extension);

}  // namespace vesk
