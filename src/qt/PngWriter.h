#pragma once

#include <string>

#include "files/AtomicFileWriter.h"
#include "progress/ProgressSink.h"
#include "render/RgbImage.h"

namespace vesk::qt {

enum class PngWrite { Written, Cancelled, Failed };

// Encodes a 24-bit picture as PNG straight into `writer`, strips of rows at
// a time on every core, with progress and a stop looked at between them.
// Rows are filtered by their left neighbours and deflated for speed
// (run-length strategy, fastest level): results are large noisy pictures,
// where the stronger settings of a general writer cost seconds for a few per
// cent of size. Each strip is deflated on its own into a byte-aligned piece
// of the one zlib stream PNG requires, and a strip that cannot shrink by
// more than about one per cent (sensor noise) goes in as stored blocks.
// `failure` says why when it fails. The file stays uncommitted: the caller
// commits or aborts.
PngWrite WritePng(const RgbImage& image, AtomicFileWriter& writer, ProgressSink& progress, const CancelToken& cancel,
                  std::string& failure);

}  // namespace vesk::qt
