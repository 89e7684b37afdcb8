#pragma once

#include <stdexcept>
#include <string>

namespace vesk::cli {

// Exit statuses shared by every command.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitInputError = 1;
inline constexpr int kExitUsageError = 2;

// A command line that does not follow the command's synopsis (exit status 2).
class UsageError : public std::runtime_error {
 public:
  explicit UsageError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace vesk::cli
