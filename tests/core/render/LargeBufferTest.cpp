#include "render/LargeBuffer.h"

#include <gtest/gtest.h>

#include "render/RenderEngine.h"
#include "support/NoisePhoto.h"

namespace vesk {
namespace {

constexpr std::size_t kLarge = std::size_t{8} << 20;

TEST(LargeBufferTest, FreedBuffersAreKeptOnlyWhileSomeoneReusesThem) {
  ASSERT_EQ(KeptLargeBufferBytes(), 0u);
  AllocateLargeBuffer(kLarge).reset();
  EXPECT_EQ(KeptLargeBufferBytes(), 0u);  // nobody reuses: straight back to the system

  {
    const LargeBufferReuse outer;
    std::uint8_t* first = nullptr;
    {
      const LargeBufferReuse inner;
      LargeBuffer buffer = AllocateLargeBuffer(kLarge);
      first = buffer.get();
      buffer.reset();
      EXPECT_GE(KeptLargeBufferBytes(), kLarge);
    }
    EXPECT_GE(KeptLargeBufferBytes(), kLarge);  // the outer span still reuses
    LargeBuffer again = AllocateLargeBuffer(kLarge);
    EXPECT_EQ(again.get(), first);
    EXPECT_EQ(KeptLargeBufferBytes(), 0u);
  }
  EXPECT_EQ(KeptLargeBufferBytes(), 0u);
}

TEST(LargeBufferTest, ABuildGivesItsMemoryBackWhenItEnds) {
  const RgbImage photo = test::NoisePhoto(2000, 1500, 3);
  RenderRequest request;
  request.Mode = BuildMode::SecondToFirst;  // forward: it also allocates its writers' map
  request.Transform1 = JobTransformFromStored({1, 0, 0.5, 0, 0, 0, 1, 0.5});
  const RenderOutcome outcome = RenderBuild(request, photo, photo, SilentProgress(), NeverCancelled());
  ASSERT_EQ(outcome.Status, RenderStatus::Completed);
  EXPECT_EQ(KeptLargeBufferBytes(), 0u);
}

}  // namespace
}  // namespace vesk
