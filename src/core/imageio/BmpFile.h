#pragma once

#include <string>

#include "imageio/BmpCodec.h"

namespace vesk {

// Bitmap files by path: the codec of BmpCodec.h over POSIX file descriptors.
// A file that cannot be opened is an IoError with the system's explanation.

// The headers of the bitmap file at `path` (see ReadBmpInfo).
BmpInfoResult ReadBmpFileInfo(const std::string& path);

// The picture of the bitmap file at `path` (see DecodeBmp). The file's size
// is known, so a header declaring more pixels than the file holds is refused
// before anything is allocated.
BmpDecodeResult LoadBmpFile(const std::string& path, const BmpLimits& limits = {},
                            ProgressSink& progress = SilentProgress(), const CancelToken& cancel = NeverCancelled());

// Whether the pixel data of the bitmap file at `path` is all there (see
// CheckBmpPixelData), for the files another decoder reads.
BmpFailure CheckBmpFilePixelData(const std::string& path);

// Writes `image` as a 24-bit bitmap file (see EncodeBmp) into a temporary
// file beside `path`, streamed strip by strip, and renames it over `path`
// once complete: a failure or a stop leaves the old file, or none, never a
// half-written one.
BmpFailure SaveBmpFile(const std::string& path, const RgbImage& image, ProgressSink& progress = SilentProgress(),
                       const CancelToken& cancel = NeverCancelled());

}  // namespace vesk
