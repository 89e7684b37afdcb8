#include "render/LargeBuffer.h"

#include <mutex>
#include <new>
#include <utility>
#include <vector>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace vesk {
namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;
constexpr std::align_val_t kAlignment{kHugePage};
// Freed blocks kept for reuse, at most this much memory in all.
constexpr std::size_t kMaxKeptBytes = std::size_t{512} << 20;

class BlockCache {
 public:
  // A kept block of at least `capacity` bytes and not much more, or null.
  std::pair<std::uint8_t*, std::size_t> Take(std::size_t capacity) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::size_t best = blocks_.size();
    for (std::size_t i = 0; i < blocks_.size(); ++i) {
      const std::size_t size = blocks_[i].second;
      if (size >= capacity && size <= 2 * capacity && (best == blocks_.size() || size < blocks_[best].second)) best = i;
    }
    if (best == blocks_.size()) return {nullptr, 0};
    const auto block = blocks_[best];
    blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(best));
    keptBytes_ -= block.second;
    return block;
  }

  // Keeps a freed block while reuse is on and there is room; false hands it back.
  bool Keep(std::uint8_t* block, std::size_t capacity) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (reusers_ == 0 || keptBytes_ + capacity > kMaxKeptBytes) return false;
    blocks_.emplace_back(block, capacity);
    keptBytes_ += capacity;
    return true;
  }

  void BeginReuse() {
    std::lock_guard<std::mutex> lock(mutex_);
    ++reusers_;
  }

  // The last reuser gone, every kept block goes back.
  void EndReuse() {
    std::vector<std::pair<std::uint8_t*, std::size_t>> released;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (--reusers_ > 0) return;
      released.swap(blocks_);
      keptBytes_ = 0;
    }
    for (const auto& block : released) ::operator delete(block.first, kAlignment);
  }

  std::size_t KeptBytes() {
    std::lock_guard<std::mutex> lock(mutex_);
    return keptBytes_;
  }

 private:
  std::mutex mutex_;
  std::vector<std::pair<std::uint8_t*, std::size_t>> blocks_;
  std::size_t keptBytes_ = 0;
  int reusers_ = 0;
};

// Never destroyed: buffers of static pictures may be freed during exit.
BlockCache& Cache() {
  static BlockCache* cache = new BlockCache;
  return *cache;
}

}  // namespace

void LargeBufferRelease::operator()(std::uint8_t* bytes) const {
  if (Capacity == 0) {
    ::operator delete(bytes);
    return;
  }
  if (!Cache().Keep(bytes, Capacity)) ::operator delete(bytes, kAlignment);
}

LargeBufferReuse::LargeBufferReuse() { Cache().BeginReuse(); }
LargeBufferReuse::~LargeBufferReuse() { Cache().EndReuse(); }

std::size_t KeptLargeBufferBytes() { return Cache().KeptBytes(); }

LargeBuffer AllocateLargeBuffer(std::size_t bytes) {
  if (bytes == 0) return nullptr;
  if (bytes < kHugePage) return LargeBuffer(static_cast<std::uint8_t*>(::operator new(bytes + 8)));
  const std::size_t capacity = (bytes + 8 + kHugePage - 1) / kHugePage * kHugePage;
  if (const auto kept = Cache().Take(capacity); kept.first != nullptr)
    return LargeBuffer(kept.first, LargeBufferRelease{kept.second});
  auto* memory = static_cast<std::uint8_t*>(::operator new(capacity, kAlignment));
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  madvise(memory, capacity, MADV_HUGEPAGE);  // a hint; a refusal changes nothing
#endif
  return LargeBuffer(memory, LargeBufferRelease{capacity});
}

}  // namespace vesk
