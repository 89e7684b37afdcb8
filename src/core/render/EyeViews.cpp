#include "render/EyeViews.h"

#include <cstring>
#include <new>

#include "common/VeskError.h"
#include "model/BuildModeTraits.h"
#include "progress/ElapsedTime.h"
#include "render/RenderMessages.h"

namespace vesk {
namespace {

// One run's progress as its share of the whole job's.
class RunProgress : public ProgressSink {
 public:
  RunProgress(ProgressSink& whole, int run, int runs) : whole_(whole), run_(run), runs_(runs) {}
  void SetPosition(int position) override { whole_.SetPosition((run_ * 100 + position) / runs_); }
  void SetElapsedText(const std::string& text) override { whole_.SetElapsedText(text); }

 private:
  ProgressSink& whole_;
  int run_;
  int runs_;
};

// Every pixel's channels moved one place: r, g, b becomes g, b, r.
void RotateChannels(RgbImage& image) {
  std::uint8_t* p = image.Data();
  const std::size_t pixels = image.ByteCount() / 3;
  for (std::size_t i = 0; i < pixels; ++i, p += 3) {
    const std::uint8_t r = p[0];
    p[0] = p[1];
    p[1] = p[2];
    p[2] = r;
  }
}

}  // namespace

EyeViewsOutcome RenderEyeViews(const RenderRequest& request, const RgbImage& photo1, const RgbImage& photo2,
                               ProgressSink& progress, const CancelToken& cancel, bool marks,
                               const RenderOptions& options) {
  ValidateRenderRequest(request, PictureSize{photo1.Width(), photo1.Height()},
                        PictureSize{photo2.Width(), photo2.Height()});
  const BuildModeTraits* traits = FindTraits(static_cast<int>(request.Mode));
  if (traits == nullptr || !traits->Anaglyph) throw VeskError(kStereoNeedsAnaglyph);

  RenderOptions runOptions = options;
  if (!runOptions.StartTime) runOptions.StartTime = CurrentTimeOfDay();
  const int runs = marks ? 4 : 3;
  int run = 0;
  EyeViewsOutcome outcome;
  // The full-colour method puts the red channel of the left eye's sample and
  // the green and blue of the right eye's into the result; with the
  // photographs' channels rotated once and twice, the other channels follow.
  RenderRequest colours = request;
  colours.Stereo = {};
  colours.Anaglyph.Method = AnaglyphMethod::RedCyanColour;
  RgbImage result[3];
  try {
    RgbImage rotated1 = photo1;
    RgbImage rotated2 = photo2;
    for (int k = 0; k < 3; ++k, ++run) {
      if (k > 0) {
        RotateChannels(rotated1);
        RotateChannels(rotated2);
      }
      RunProgress share(progress, run, runs);
      RenderOutcome pass =
          RenderBuild(colours, k == 0 ? photo1 : rotated1, k == 0 ? photo2 : rotated2, share, cancel, runOptions);
      if (pass.Status != RenderStatus::Completed) return EyeViewsOutcome{pass.Status, {}};
      result[k] = std::move(pass.Result);
    }
  } catch (const std::bad_alloc&) {
    throw VeskError(kResultTooLarge);
  }
  const int width = result[0].Width();
  const int height = result[0].Height();
  EyeViews& views = outcome.Views;
  try {
    views.Left = RgbImage::Unfilled(width, height);
    views.Right = RgbImage::Unfilled(width, height);
  } catch (const std::bad_alloc&) {
    throw VeskError(kResultTooLarge);
  }
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* a = result[0].Row(y);
    const std::uint8_t* b = result[1].Row(y);
    const std::uint8_t* c = result[2].Row(y);
    std::uint8_t* left = views.Left.Row(y);
    std::uint8_t* right = views.Right.Row(y);
    for (int x = 0; x < width; ++x, a += 3, b += 3, c += 3, left += 3, right += 3) {
      left[0] = a[0];
      left[1] = b[0];
      left[2] = c[0];
      right[0] = c[1];
      right[1] = a[1];
      right[2] = a[2];
    }
  }
  for (RgbImage& pass : result) pass = RgbImage();
  if (!marks) return outcome;

  // On black photographs the red-green method gives each eye's grey: 0 for
  // a sample of its photograph, 255 for a read outside it; blue stays 255
  // only where the build draws nothing.
  RenderRequest cover = colours;
  cover.Anaglyph.Method = AnaglyphMethod::RedGreen;
  RenderOutcome pass;
  try {
    const RgbImage black1(photo1.Width(), photo1.Height(), kBlack);
    const RgbImage black2(photo2.Width(), photo2.Height(), kBlack);
    RunProgress share(progress, run, runs);
    pass = RenderBuild(cover, black1, black2, share, cancel, runOptions);
    views.Marks.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
  } catch (const std::bad_alloc&) {
    throw VeskError(kResultTooLarge);
  }
  if (pass.Status != RenderStatus::Completed) return EyeViewsOutcome{pass.Status, {}};
  std::uint8_t* mark = views.Marks.data();
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* p = pass.Result.Row(y);
    for (int x = 0; x < width; ++x, p += 3, ++mark) {
      if (p[2] != 0) continue;
      *mark = kLeftDrawn | kRightDrawn | (p[0] == 0 ? kLeftCovered : 0) | (p[1] == 0 ? kRightCovered : 0);
    }
  }
  return outcome;
}

}  // namespace vesk
