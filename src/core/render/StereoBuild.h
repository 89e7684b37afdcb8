#pragma once

// The stereo window, the crop to the common part and the stereo formats of
// an anaglyph build, made from its two eyes' views (EyeViews.h).

#include <optional>

#include "render/EyeViews.h"
#include "render/RenderEngine.h"
#include "render/StereoFormat.h"

namespace vesk {

// Moves the right eye's view `shift` pixels to the right (to the left when
// negative), marks with it; the columns it leaves are white and have no
// sample.
void ShiftRightEye(EyeViews& views, int shift);

struct PixelRect {
  int X = 0;
  int Y = 0;
  int Width = 0;
  int Height = 0;
  friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// The common part of the views: the largest rectangle (by area; of equals,
// the first in rows from the top) every pixel of which both eyes see in
// their photographs (kLeftCovered and kRightCovered). Nothing when no pixel
// is common. Needs the marks.
std::optional<PixelRect> CommonPart(const EyeViews& views);

// Both views, and their marks, cut to `part`.
void CropViews(EyeViews& views, const PixelRect& part);

// The result of `format` from the views. The anaglyph colours every pixel
// where at least one eye has a sample (a missing one counting as white, as
// a read outside a photograph does) and leaves white the pixels where
// neither has one; it needs the marks. The side-by-side half format squeezes
// each view to half its width, rounded up, by the rounded mean of each pair
// of columns (a last odd column stays as it is). Raises VeskError
// (kResultTooLarge) for a layout too large to be written.
RgbImage ComposeStereo(const EyeViews& views, StereoFormat format, AnaglyphMethod method);

// Renders an anaglyph build with its StereoChoice: the views, the right one
// shifted, both cropped to their common part when asked, composed in the
// chosen format. With the default choice it is RenderBuild itself, so the
// result keeps the plain anaglyph's bytes. Refuses (VeskError) what
// RenderBuild refuses, a choice on a build that is no anaglyph
// (kStereoNeedsAnaglyph), an unknown format, and a crop without a common
// part (kNoCommonPart).
RenderOutcome RenderStereoBuild(const RenderRequest& request, const RgbImage& photo1, const RgbImage& photo2,
                                ProgressSink& progress, const CancelToken& cancel, const RenderOptions& options = {});

// The two views of an anaglyph build for a stereo pair file, with the
// request's shift and crop (its format is not used).
EyeViewsOutcome RenderStereoPair(const RenderRequest& request, const RgbImage& photo1, const RgbImage& photo2,
                                 ProgressSink& progress, const CancelToken& cancel, const RenderOptions& options = {});

// Refuses, as RenderStereoBuild does, a stereo choice the request's build
// cannot take; the default choice always passes.
void ValidateStereoChoice(const RenderRequest& request);

}  // namespace vesk
