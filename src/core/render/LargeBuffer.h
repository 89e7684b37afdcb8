#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace vesk {

struct LargeBufferRelease {
  std::size_t Capacity = 0;  // bytes of a huge-page block; 0 for plain memory
  void operator()(std::uint8_t* bytes) const;
};
using LargeBuffer = std::unique_ptr<std::uint8_t[], LargeBufferRelease>;

// Uninitialised memory for a picture-sized buffer (null for 0 bytes); a few
// bytes beyond `bytes` stay readable.
//
// Every fresh page costs a kernel fault on first touch, which on virtual
// machines takes longer than rendering the pixels on it. Large buffers are
// therefore aligned to huge pages (asked to be backed by them where the
// system offers it), and a few freed ones are kept for the next build
// instead of going back to the system.
LargeBuffer AllocateLargeBuffer(std::size_t bytes);

}  // namespace vesk
