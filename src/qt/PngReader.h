#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "progress/ProgressSink.h"
#include "render/RgbImage.h"

namespace vesk::qt {

struct PlainPngRead {
  enum class Outcome {
    Decoded,    // `Pixels` holds the picture
    NotPlain,   // another kind of PNG, or anything irregular: let a general reader decide
    Cancelled,  // the stop was asked for
  };
  Outcome Result = Outcome::NotPlain;
  std::optional<RgbImage> Pixels;
};

// Decodes the kind of PNG that results and most photographs are, 8-bit RGB
// without interlace or transparency key, straight into a 24-bit picture: one
// pass of inflating and unfiltering, without the 32-bit picture and the
// conversion a general reader makes. Everything else (other colour types
// and depths, interlace, transparency, an unknown critical chunk, a CRC
// that does not match, a stream that ends early or runs on, a picture of
// more than `maxBytes`) comes back as NotPlain, so that the general reader
// keeps its own answer for it. The stop is looked at between strips of rows.
PlainPngRead ReadPlainRgbPng(const std::string& path, std::uint64_t maxBytes, const CancelToken& cancel);

}  // namespace vesk::qt
