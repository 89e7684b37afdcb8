#pragma once

#include <cstdint>

#include "render/AnaglyphMethod.h"
#include "render/RenderEngine.h"
#include "render/RenderRequest.h"

namespace vesk::render_detail {

// Special values of a pixel offset.
inline constexpr std::int32_t kSkip = -1;      // nothing is written for this sample
inline constexpr std::int32_t kNoColour = -2;  // the read fell outside the photograph

// One map over a run of walk columns: per-column products a0 x, b0 x, c0 x.
struct MapColumns {
  const double* A0x;
  const double* B0x;
  const double* C0x;
};

// The same map's per-row products a1 y, b1 y, c1 y and its constant terms.
struct MapRow {
  double A1y;
  double B1y;
  double C1y;
  double A2;
  double B2;
};

// How a map result (X, Y) addresses a pixel of an image, as the offset
// row * Stride + column * PixelBytes: the column is
// trunc(X + OffsetX); the row trunc(Y), or trunc(OffsetY - Y * ScaleY) when
// RowFlipped. A guarded rule first skips every (X, Y) not strictly inside
// 0 < X < GuardWidth, 0 < Y < GuardHeight.
struct PixelRule {
  bool Guarded = false;
  double GuardWidth = 0;
  double GuardHeight = 0;
  double OffsetX = 0;
  bool RowFlipped = false;
  double OffsetY = 0;
  double ScaleY = 1;
  int Width = 0;  // the addressed image
  int Height = 0;
  std::int32_t Stride = 0;       // offset from one row to the next
  std::int32_t PixelBytes = 3;   // offset from one column to the next
  std::int32_t Outside = kSkip;  // what a position outside the image gives
};

struct Kernels {
  // For `count` samples of one walk row: the pixel offsets of the map
  // results under `rule`, and, where x and y are not null, the results
  // themselves. Returns the index of the first sample whose evaluation
  // faults (zero or non-finite denominator, non-finite result), or -1.
  int (*MapRowOffsets)(const MapColumns& columns, const MapRow& row, const PixelRule& rule, int count,
                       std::int32_t* offsets, double* x, double* y);
  // The pixel offsets under `rule` of X, Y = t(p, q) for `count` points,
  // without keeping X, Y; fault index as above.
  int (*MapPointOffsets)(const JobTransform& t, const PixelRule& rule, const double* p, const double* q, int count,
                         std::int32_t* offsets);

  // Optional whole-row transfer into `count` consecutive result pixels at
  // `to`; returns how many leading pixels it wrote (the caller does the rest
  // one by one), or is null where the processor lacks the instructions.
  //
  // Anaglyph: the colour of `method` from the sample for the eye behind the
  // red filter (left) and the other eye's (right). Each sample is either a
  // photograph pixel at an offset (white for kNoColour) or, where its offsets
  // are null, the next pixel of its row. A kSkip in either leaves the pixel
  // as it is.
  int (*AnaglyphRow)(AnaglyphMethod method, const std::uint8_t* left, const std::int32_t* leftOffsets,
                     const std::uint8_t* right, const std::int32_t* rightOffsets, int count, std::uint8_t* to);

  // Optional forward scatter of `count` samples in walk order: sample i goes
  // to pixel targets[i] (none where negative) unless writers[target] exceeds
  // firstWriter + i; a sample that goes stores that writer and copies its
  // three bytes from colours + 3 i to result + 3 target. Null where the
  // processor lacks the instructions.
  void (*ScatterRow16)(const std::int32_t* targets, const std::uint8_t* colours, std::uint16_t* writers,
                       std::uint16_t firstWriter, int count, std::uint8_t* result);
};

// The kernels built for `set`, or null when the processor lacks it. All
// give the same bits.
const Kernels* KernelsFor(InstructionSet set);
// AVX-512 or AVX2 when the processor has them, otherwise the SSE2 baseline.
const Kernels& FastestKernels();

}  // namespace vesk::render_detail
