// Differential check of the rendering engine: random small photographs,
// maps, modes, origins, build areas, anaglyph colours, thread counts, strip
// widths and instruction sets must give exactly what the plain
// column-by-column walk gives (status, result pixels and the progress calls).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <exception>

#include "PlainColumnWalk.h"
#include "common/VeskError.h"
#include "model/BuildModeTraits.h"
#include "render/RenderEngine.h"

namespace {

class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
  // Mostly small, exactly representable values, sometimes any bit pattern.
  double Number() {
    const std::uint8_t kind = Byte();
    if (kind < 200) return (static_cast<int>(Byte()) - 128) / 16.0;
    if (kind < 240) return (static_cast<int>(Byte()) - 128) / 1024.0 + (static_cast<int>(Byte()) - 128);
    double value = 0;
    std::uint8_t bytes[sizeof value];
    for (std::uint8_t& b : bytes) b = Byte();
    std::memcpy(&value, bytes, sizeof value);
    return value;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

vesk::RgbImage Photo(Input& in) {
  // Some rows long enough for the vector kernels (16 pixels at a time).
  const int width = 1 + in.Byte() % 40;
  const int height = 1 + in.Byte() % 9;
  vesk::RgbImage photo(width, height);
  const std::uint8_t seed = in.Byte();
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      photo.SetPixel(x, y,
                     vesk::Rgb{static_cast<std::uint8_t>(seed + 37 * x + 11 * y),
                               static_cast<std::uint8_t>(seed * 3 + 5 * x), static_cast<std::uint8_t>(7 * y + x)});
  return photo;
}

vesk::JobTransform Transform(Input& in) {
  vesk::JobTransform t;
  for (double& c : t.T) c = in.Number();
  // Keep most maps near a plain one so that samples land on the photographs.
  if (in.Byte() < 160) {
    t.T[6] /= 64;
    t.T[7] /= 64;
  }
  return t;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Input in(data, size);
  vesk::RenderRequest request;
  request.Mode = static_cast<vesk::BuildMode>(in.Byte() % 13);
  request.From = in.Byte() % 2 == 0 ? vesk::Origin::FromReferencePoints : vesk::Origin::FromOrientation;
  const vesk::RgbImage photo1 = Photo(in);
  const vesk::RgbImage photo2 = Photo(in);
  request.Transform1 = Transform(in);
  request.Transform2 = Transform(in);
  request.Plane1 = vesk::ImagePlane{in.Number(), in.Number(), in.Number()};
  request.Plane2 = vesk::ImagePlane{in.Number(), in.Number(), in.Number()};
  request.Area = vesk::BuildArea{in.Number(), in.Number(), in.Number(), in.Number(), in.Number()};
  vesk::RenderOptions options;
  options.Threads = 1 + in.Byte() % 3;
  options.ColumnsPerStrip = in.Byte() % 9;
  options.Instructions = static_cast<vesk::InstructionSet>(in.Byte() % 3);
  // Any method, the eyes as they are or swapped.
  const std::uint8_t colours = in.Byte();
  request.Anaglyph = vesk::AnaglyphChoice{static_cast<vesk::AnaglyphMethod>(colours % 6), (colours / 6) % 2 == 1};

  try {
    vesk::ValidateRenderRequest(request, {photo1.Width(), photo1.Height()}, {photo2.Width(), photo2.Height()});
  } catch (const vesk::VeskError&) {
    return 0;
  }
  // Keep build areas small enough for many runs a second.
  if (const auto* traits = vesk::FindTraits(static_cast<int>(request.Mode)); traits && traits->BuildArea) {
    const auto size = vesk::ResultSize(request, {}, {});
    if (static_cast<long long>(size.Width) * size.Height > 4096) return 0;
  }

  vesk::test::ProgressLog expectedLog;
  const vesk::RenderOutcome expected =
      vesk::test::PlainColumnWalk(request, photo1, photo2).Run(expectedLog, expectedLog.Cancel);
  vesk::test::ProgressLog log;
  const vesk::RenderOutcome actual = vesk::RenderBuild(request, photo1, photo2, log, log.Cancel, options);
  if (expected.Status != actual.Status || !(expected.Result == actual.Result) || expectedLog.Events != log.Events)
    std::abort();
  return 0;
}
