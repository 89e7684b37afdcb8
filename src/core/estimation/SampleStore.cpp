#include "estimation/SampleStore.h"

#include <algorithm>
#include <iterator>

namespace vesk {

void SampleStore::Append(const CoefficientArray& values) {
  if (blocks_.empty() || blocks_.back().Count == kSamplesPerBlock)
    blocks_.push_back(Block{std::make_unique_for_overwrite<double[]>(kSamplesPerBlock * kCoefficientCount), 0});
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
