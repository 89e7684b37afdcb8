#pragma once

#include <stdexcept>
#include <string>

namespace vesk {

// The system's general error: computations and list accesses raise it with a
// message text that the caller either shows as it is or replaces by its own.
class VeskError : public std::runtime_error {
 public:
  explicit VeskError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace vesk
