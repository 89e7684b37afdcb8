#pragma once

#include <cstdint>
#include <vector>

#include "progress/ProgressSink.h"
#include "render/RenderEngine.h"
#include "render/RenderRequest.h"
#include "render/RgbImage.h"

namespace vesk {

// What an eye has at a pixel of its view (bits of EyeViews::Marks).
enum EyeMark : std::uint8_t {
  kLeftDrawn = 1,     // the build gave the left eye a sample here
  kLeftCovered = 2,   // ... and it lies in the left eye's photograph
  kRightDrawn = 4,    // the same for the right eye
  kRightCovered = 8,  //
};

// The two eyes' views of an anaglyph build, each in the build's frame and
// made of exactly the samples the anaglyph composes: the left view of the
// samples behind the red filter, the right view of the other eye's. Where a
// sample was read outside its photograph, and where the build draws nothing
// (outside the photographs under the reference-point guard, or where the
// forward scatter onto the scene plane puts no pixel), a view is white.
struct EyeViews {
  RgbImage Left;
  RgbImage Right;
  // EyeMark bits per pixel, rows from the top; empty unless asked for.
  std::vector<std::uint8_t> Marks;

  int Width() const { return Left.Width(); }
  int Height() const { return Left.Height(); }
  std::uint8_t Mark(int x, int y) const {
    return Marks[static_cast<std::size_t>(y) * static_cast<std::size_t>(Width()) + static_cast<std::size_t>(x)];
  }
};

struct EyeViewsOutcome {
  RenderStatus Status = RenderStatus::Completed;
  EyeViews Views;  // empty unless Completed
};

// Renders the views of an anaglyph build (modes 2, 3, 6 and 11) through the
// rendering job itself, in three runs on photographs whose channels are
// rotated (one colour channel of each eye per run) and, with `marks`, a
// fourth run on black photographs that tells samples from white fill. The
// request's anaglyph method is not used; its eye order is. Progress goes to
// the sink as one job of all runs; a stop or a fault in any run ends it
// without views. Refuses a request that is no anaglyph build
// (kStereoNeedsAnaglyph) or that ValidateRenderRequest refuses.
EyeViewsOutcome RenderEyeViews(const RenderRequest& request, const RgbImage& photo1, const RgbImage& photo2,
                               ProgressSink& progress, const CancelToken& cancel, bool marks,
                               const RenderOptions& options = {});

}  // namespace vesk
