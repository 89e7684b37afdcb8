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

void SampleStore::Clear() {
  blocks_.clear();
  count_ = 0;
}

}  // namespace vesk
