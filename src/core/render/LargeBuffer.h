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
// system offers it), and while a LargeBufferReuse lives, freed ones are kept
// for the next allocation instead of going back to the system.
LargeBuffer AllocateLargeBuffer(std::size_t bytes);

// A span in which freed large buffers are kept for reuse (at most 512 MiB in
// all): a build holds one while it runs, a benchmark across its runs. When
// the last one ends, the kept buffers go back to the system, so a desktop
// process does not sit on a build's memory afterwards. Any thread.
class LargeBufferReuse {
 public:
  LargeBufferReuse();
  ~LargeBufferReuse();
  LargeBufferReuse(const LargeBufferReuse&) = delete;
  LargeBufferReuse& operator=(const LargeBufferReuse&) = delete;
};

// Bytes of freed buffers kept for reuse right now.
std::size_t KeptLargeBufferBytes();

}  // namespace vesk
