#include "estimation/SampleStore.h"

#include <algorithm>
#include <iterator>
#include <mutex>

namespace vesk {
namespace {

// At most this many freed blocks are kept (32 MiB): more than a search holds
// in flight at once.
constexpr std::size_t kMaxKeptBlocks = 512;

class BlockPool {
 public:
  double* Take() {
    const std::lock_guard lock(mutex_);
    if (kept_.empty()) return nullptr;
    double* values = kept_.back();
    kept_.pop_back();
    return values;
  }
  bool Keep(double* values) {
    const std::lock_guard lock(mutex_);
    if (reusers_ == 0 || kept_.size() >= kMaxKeptBlocks) return false;
    kept_.push_back(values);
    return true;
  }
  void BeginReuse() {
    const std::lock_guard lock(mutex_);
    ++reusers_;
  }
  // The last reuser gone, every kept block goes back.
  void EndReuse() {
    std::vector<double*> released;
    {
      const std::lock_guard lock(mutex_);
      if (--reusers_ > 0) return;
      released.swap(kept_);
    }
    for (double* values : released) delete[] values;
  }

 private:
  std::mutex mutex_;
  std::vector<double*> kept_;
  int reusers_ = 0;
};

// Never destroyed: stores may be freed during exit.
BlockPool& Pool() {
  static BlockPool* pool = new BlockPool;
  return *pool;
}

}  // namespace

void SampleStore::BlockRelease::operator()(double* values) const {
  if (!Pool().Keep(values)) delete[] values;
}

SampleBlockReuse::SampleBlockReuse() { Pool().BeginReuse(); }
SampleBlockReuse::~SampleBlockReuse() { Pool().EndReuse(); }

void SampleStore::Append(const CoefficientArray& values) {
  if (blocks_.empty() || blocks_.back().Count == kSamplesPerBlock) {
    double* storage = Pool().Take();
    if (storage == nullptr) storage = new double[kSamplesPerBlock * kCoefficientCount];
    blocks_.push_back(Block{std::unique_ptr<double[], BlockRelease>(storage), 0});
  }
  Block& block = blocks_.back();
  std::copy(values.begin(), values.end(), block.Values.get() + block.Count * kCoefficientCount);
  ++block.Count;
  ++count_;
}

void SampleStore::Splice(SampleStore&& later) {
  blocks_.insert(blocks_.end(), std::make_move_iterator(later.blocks_.begin()),
                 std::make_move_iterator(later.blocks_.end()));
  count_ += later.count_;
  later.Clear();
}

std::size_t SampleStore::BytesFor(std::size_t samples) {
  const std::size_t blocks = (samples + kSamplesPerBlock - 1) / kSamplesPerBlock;
  // The block list doubles as it grows.
  std::size_t listCapacity = 1;
  while (listCapacity < blocks) listCapacity *= 2;
  return blocks * kBytesPerBlock + listCapacity * sizeof(Block);
}

void SampleStore::Clear() {
  blocks_.clear();
  count_ = 0;
}

}  // namespace vesk
