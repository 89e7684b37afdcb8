#include "render/StereoBuild.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

#include "common/VeskError.h"
#include "model/BuildModeTraits.h"
#include "render/RenderMessages.h"

namespace vesk {
namespace {

constexpr std::uint8_t kLeftMarks = kLeftDrawn | kLeftCovered;
constexpr std::uint8_t kRightMarks = kRightDrawn | kRightCovered;

// Pictures are addressed with 32-bit byte offsets, here as in the build.
constexpr std::int64_t kMaxPictureBytes = std::numeric_limits<std::int32_t>::max();

RgbImage NewPicture(std::int64_t width, std::int64_t height) {
  if (width * height * 3 > kMaxPictureBytes) throw VeskError(kResultTooLarge);
  try {
    return RgbImage::Unfilled(static_cast<int>(width), static_cast<int>(height));
  } catch (const std::bad_alloc&) {
    throw VeskError(kResultTooLarge);
  }
}

bool Common(std::uint8_t mark) { return (mark & (kLeftCovered | kRightCovered)) == (kLeftCovered | kRightCovered); }

// Copies `view` into `to` from column x0 on.
void Place(RgbImage& to, const RgbImage& view, int x0, int y0) {
  const std::size_t bytes = static_cast<std::size_t>(view.Stride());
  for (int y = 0; y < view.Height(); ++y)
    std::memcpy(to.Row(y0 + y) + 3 * static_cast<std::ptrdiff_t>(x0), view.Row(y), bytes);
}

// `view` at half its width (rounded up) from column x0 of `to`.
void PlaceSqueezed(RgbImage& to, const RgbImage& view, int x0) {
  const int width = view.Width();
  for (int y = 0; y < view.Height(); ++y) {
    const std::uint8_t* from = view.Row(y);
    std::uint8_t* out = to.Row(y) + 3 * static_cast<std::ptrdiff_t>(x0);
    for (int x = 0; x < width; x += 2, out += 3, from += 6) {
      for (int c = 0; c < 3; ++c)
        out[c] = x + 1 < width ? static_cast<std::uint8_t>((from[c] + from[3 + c] + 1) / 2) : from[c];
    }
  }
}

RgbImage ComposeAnaglyph(const EyeViews& views, AnaglyphMethod method) {
  RgbImage result = NewPicture(views.Width(), views.Height());
  for (int y = 0; y < views.Height(); ++y)
    for (int x = 0; x < views.Width(); ++x) {
      const bool drawn = views.Marks.empty() || (views.Mark(x, y) & (kLeftDrawn | kRightDrawn)) != 0;
      result.SetPixel(x, y, drawn ? AnaglyphColour(method, views.Left.Pixel(x, y), views.Right.Pixel(x, y)) : kWhite);
    }
  return result;
}

// The views with the request's shift and crop.
EyeViewsOutcome AdjustedViews(const RenderRequest& request, const RgbImage& photo1, const RgbImage& photo2,
                              ProgressSink& progress, const CancelToken& cancel, bool marks,
                              const RenderOptions& options) {
  const StereoChoice& stereo = request.Stereo;
  EyeViewsOutcome outcome =
      RenderEyeViews(request, photo1, photo2, progress, cancel, marks || stereo.CropCommon, options);
  if (outcome.Status != RenderStatus::Completed) return outcome;
  ShiftRightEye(outcome.Views, stereo.Shift);
  if (stereo.CropCommon) {
    const std::optional<PixelRect> part = CommonPart(outcome.Views);
    if (!part) throw VeskError(kNoCommonPart);
    CropViews(outcome.Views, *part);
  }
  return outcome;
}

}  // namespace

void ShiftRightEye(EyeViews& views, int shift) {
  const int width = views.Width();
  if (shift == 0 || width == 0) return;
  // Columns of the right view that keep a pixel, and where they go.
  const std::int64_t distance = std::llabs(static_cast<long long>(shift));
  const int kept = distance >= width ? 0 : width - static_cast<int>(distance);
  const int moved = width - kept;
  const int from = shift > 0 ? 0 : moved;
  const int to = shift > 0 ? moved : 0;
  const int blank = shift > 0 ? 0 : kept;
  for (int y = 0; y < views.Height(); ++y) {
    std::uint8_t* row = views.Right.Row(y);
    std::memmove(row + 3 * static_cast<std::ptrdiff_t>(to), row + 3 * static_cast<std::ptrdiff_t>(from),
                 3 * static_cast<std::size_t>(kept));
    std::memset(row + 3 * static_cast<std::ptrdiff_t>(blank), 255, 3 * static_cast<std::size_t>(moved));
    if (views.Marks.empty()) continue;
    std::uint8_t* marks = views.Marks.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
    std::vector<std::uint8_t> right(static_cast<std::size_t>(width), 0);
    for (int x = 0; x < kept; ++x) right[static_cast<std::size_t>(to + x)] = marks[from + x] & kRightMarks;
    for (int x = 0; x < width; ++x) marks[x] = (marks[x] & kLeftMarks) | right[static_cast<std::size_t>(x)];
  }
}

std::optional<PixelRect> CommonPart(const EyeViews& views) {
  const int width = views.Width();
  const int height = views.Height();
  if (views.Marks.empty() || width == 0 || height == 0) return std::nullopt;
  // Row by row, the run of common pixels that ends in each column's pixel of
  // the row; the largest rectangle over these runs comes from a stack of
  // rising runs.
  std::vector<int> runs(static_cast<std::size_t>(width) + 1, 0);
  std::vector<int> rising;
  std::int64_t bestArea = 0;
  PixelRect best;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      int& run = runs[static_cast<std::size_t>(x)];
      run = Common(views.Mark(x, y)) ? run + 1 : 0;
    }
    rising.clear();
    for (int x = 0; x <= width; ++x) {
      const int run = runs[static_cast<std::size_t>(x)];
      while (!rising.empty() && runs[static_cast<std::size_t>(rising.back())] >= run) {
        const int tall = runs[static_cast<std::size_t>(rising.back())];
        rising.pop_back();
        const int left = rising.empty() ? 0 : rising.back() + 1;
        const std::int64_t area = static_cast<std::int64_t>(tall) * (x - left);
        if (area > bestArea) {
          bestArea = area;
          best = PixelRect{left, y - tall + 1, x - left, tall};
        }
      }
      rising.push_back(x);
    }
  }
  if (bestArea == 0) return std::nullopt;
  return best;
}

void CropViews(EyeViews& views, const PixelRect& part) {
  const auto cut = [&](const RgbImage& view) {
    RgbImage piece = NewPicture(part.Width, part.Height);
    for (int y = 0; y < part.Height; ++y)
      std::memcpy(piece.Row(y), view.Row(part.Y + y) + 3 * static_cast<std::ptrdiff_t>(part.X),
                  static_cast<std::size_t>(piece.Stride()));
    return piece;
  };
  std::vector<std::uint8_t> marks;
  if (!views.Marks.empty()) {
    marks.resize(static_cast<std::size_t>(part.Width) * static_cast<std::size_t>(part.Height));
    for (int y = 0; y < part.Height; ++y)
      std::memcpy(marks.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(part.Width),
                  &views.Marks[static_cast<std::size_t>(part.Y + y) * static_cast<std::size_t>(views.Width()) +
                               static_cast<std::size_t>(part.X)],
                  static_cast<std::size_t>(part.Width));
  }
  views.Left = cut(views.Left);
  views.Right = cut(views.Right);
  views.Marks = std::move(marks);
}

RgbImage ComposeStereo(const EyeViews& views, StereoFormat format, AnaglyphMethod method) {
  const std::int64_t width = views.Width();
  const std::int64_t height = views.Height();
  switch (format) {
    case StereoFormat::Anaglyph:
      return ComposeAnaglyph(views, method);
    case StereoFormat::SideBySide:
    case StereoFormat::SideBySideCrossed: {
      RgbImage result = NewPicture(2 * width, height);
      const bool crossed = format == StereoFormat::SideBySideCrossed;
      Place(result, crossed ? views.Right : views.Left, 0, 0);
      Place(result, crossed ? views.Left : views.Right, views.Width(), 0);
      return result;
    }
    case StereoFormat::OverUnder: {
      RgbImage result = NewPicture(width, 2 * height);
      Place(result, views.Left, 0, 0);
      Place(result, views.Right, 0, views.Height());
      return result;
    }
    case StereoFormat::SideBySideHalf: {
      const int half = (views.Width() + 1) / 2;
      RgbImage result = NewPicture(2 * static_cast<std::int64_t>(half), height);
      PlaceSqueezed(result, views.Left, 0);
      PlaceSqueezed(result, views.Right, half);
      return result;
    }
  }
  throw VeskError(kStereoFormatUnknown);
}

void ValidateStereoChoice(const RenderRequest& request) {
  if (!IsValidStereoFormat(static_cast<int>(request.Stereo.Format))) throw VeskError(kStereoFormatUnknown);
  if (request.Stereo.IsDefault()) return;
  const BuildModeTraits* traits = FindTraits(static_cast<int>(request.Mode));
  if (traits == nullptr || !traits->Anaglyph) throw VeskError(kStereoNeedsAnaglyph);
}

RenderOutcome RenderStereoBuild(const RenderRequest& request, const RgbImage& photo1, const RgbImage& photo2,
                                ProgressSink& progress, const CancelToken& cancel, const RenderOptions& options) {
  ValidateStereoChoice(request);
  if (request.Stereo.IsDefault()) return RenderBuild(request, photo1, photo2, progress, cancel, options);
  const bool anaglyph = request.Stereo.Format == StereoFormat::Anaglyph;
  EyeViewsOutcome views = AdjustedViews(request, photo1, photo2, progress, cancel, anaglyph, options);
  if (views.Status != RenderStatus::Completed) return RenderOutcome{views.Status, RgbImage()};
  return RenderOutcome{RenderStatus::Completed,
                       ComposeStereo(views.Views, request.Stereo.Format, request.Anaglyph.Method)};
}

EyeViewsOutcome RenderStereoPair(const RenderRequest& request, const RgbImage& photo1, const RgbImage& photo2,
                                 ProgressSink& progress, const CancelToken& cancel, const RenderOptions& options) {
  ValidateStereoChoice(request);
  return AdjustedViews(request, photo1, photo2, progress, cancel, false, options);
}

}  // namespace vesk
