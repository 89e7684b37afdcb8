#pragma once

#include <stdexcept>
#include <string>

namespace vesk::cli {

// Exit statuses shared by every command.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitInputError = 1;
inline constexpr int kExitUsageError = 2;
inline constexpr int kExitInterrupted = 130;

// A command line that does not follow the command's synopsis (exit status 2).
class UsageError : public std::runtime_error {
 public:
  explicit UsageError(const std::string& message) : std::runtime_error(message) {}
};

// Ctrl+C stopped a command before it wrote anything (exit status 130).
class Interrupted : public std::runtime_error {
 public:
  Interrupted() : std::runtime_error("interrupted, nothing written") {}
};

}  // namespace vesk::cli
