#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "estimation/TransformCoefficients.h"

namespace vesk {

// The coefficient sets of solved four-point subsets, in the order they were
// solved: eight doubles per subset in fixed-size blocks, so that millions of
// samples cost 64 bytes each and growing never copies what is stored.
//
// While a SampleBlockReuse lives, freed blocks are kept (up to a bound) and
// handed to the next store that grows: a search hands thousands of stores
// from its workers to the folding thread, and blocks fresh from the system
// cost a page fault per few samples on first touch.
class SampleStore {
 public:
  void Append(const CoefficientArray& values);
  // Moves every sample of `later` behind the samples held here.
  void Splice(SampleStore&& later);
  void Clear();
  std::size_t Count() const { return count_; }
  // Heap memory held for the samples, whether filled or not.
  std::size_t AllocatedBytes() const { return blocks_.capacity() * sizeof(Block) + blocks_.size() * kBytesPerBlock; }
  // What a store of `samples` samples holds at most once they are appended
  // one by one (not spliced).
  static std::size_t BytesFor(std::size_t samples);

  // Calls visit(row) for every sample in order, row pointing at its eight
  // coefficients.
  template <typename Visit>
  void ForEachRow(Visit&& visit) const {
    for (const Block& block : blocks_) {
      const double* values = block.Values.get();
      for (std::size_t s = 0; s < block.Count; ++s) visit(values + s * kCoefficientCount);
    }
  }

 private:
  static constexpr std::size_t kSamplesPerBlock = 1024;
  static constexpr std::size_t kBytesPerBlock = kSamplesPerBlock * kCoefficientCount * sizeof(double);
  struct BlockRelease {
    void operator()(double* values) const;
  };
  struct Block {
    std::unique_ptr<double[], BlockRelease> Values;
    std::size_t Count = 0;
  };
  std::vector<Block> blocks_;
  std::size_t count_ = 0;
};

// A span in which freed sample blocks are kept for reuse; when the last one
// ends, the kept blocks go back to the system. Any thread.
class SampleBlockReuse {
 public:
  SampleBlockReuse();
  ~SampleBlockReuse();
  SampleBlockReuse(const SampleBlockReuse&) = delete;
  SampleBlockReuse& operator=(const SampleBlockReuse&) = delete;
};

}  // namespace vesk
