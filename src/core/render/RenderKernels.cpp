#include "render/RenderKernels.h"

#include <cmath>
#include <cstring>

// The kernels are written once with GCC vector types of four doubles and
// compiled twice: for the x86-64 baseline (two SSE2 operations per vector
// operation) and with AVX2 enabled, chosen at run time. Each vector lane runs
// exactly the scalar operations in the scalar order, so both give the bits of
// the plain evaluation; there is no fused multiply-add (not enabled, and the
// build forbids contraction).

// The vector helpers below are always inlined and internal, so the ABI of
// passing 32-byte vectors without AVX never applies.
#pragma GCC diagnostic ignored "-Wpsabi"

namespace vesk::render_detail {
namespace {

typedef double V4d __attribute__((vector_size(32)));
typedef long long V4l __attribute__((vector_size(32)));
typedef int V4i __attribute__((vector_size(16)));

#define VESK_INLINE inline __attribute__((always_inline))

VESK_INLINE V4d Load(const double* p) {
  V4d v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
VESK_INLINE void Store(double* p, V4d v) { std::memcpy(p, &v, sizeof v); }
VESK_INLINE void Store(std::int32_t* p, V4i v) { std::memcpy(p, &v, sizeof v); }
VESK_INLINE V4d Splat(double s) { return V4d{s, s, s, s}; }
VESK_INLINE bool Any(V4l m) { return (m[0] | m[1] | m[2] | m[3]) != 0; }

// True where a value is not finite (inf or NaN): v - v is then NaN.
VESK_INLINE V4l NotFinite(V4d v) { return (v - v) != 0.0; }
VESK_INLINE bool NotFinite(double v) { return !std::isfinite(v); }

// Finds the first faulting sample once a vector pass saw one.
VESK_INLINE int FirstFault(const double* d, const double* x, const double* y, int count) {
  for (int i = 0; i < count; ++i)
    if (d[i] == 0.0 || NotFinite(d[i]) || NotFinite(x[i]) || NotFinite(y[i])) return i;
  return -1;
}

VESK_INLINE int MapRowSeparableBody(const MapColumns& columns, const MapRow& row, int count, double* x, double* y) {
  const V4d a1y = Splat(row.A1y), b1y = Splat(row.B1y), c1y = Splat(row.C1y);
  const V4d a2 = Splat(row.A2), b2 = Splat(row.B2), one = Splat(1.0);
  V4l bad{0, 0, 0, 0};
  int i = 0;
  for (; i + 4 <= count; i += 4) {
    const V4d d = (Load(columns.C0x + i) + c1y) + one;
    const V4d vx = ((Load(columns.A0x + i) + a1y) + a2) / d;
    const V4d vy = ((Load(columns.B0x + i) + b1y) + b2) / d;
    bad |= (d == 0.0) | NotFinite(d) | NotFinite(vx) | NotFinite(vy);
    Store(x + i, vx);
    Store(y + i, vy);
  }
  bool tailBad = false;
  for (; i < count; ++i) {
    const double d = (columns.C0x[i] + row.C1y) + 1.0;
    x[i] = ((columns.A0x[i] + row.A1y) + row.A2) / d;
    y[i] = ((columns.B0x[i] + row.B1y) + row.B2) / d;
    tailBad = tailBad || d == 0.0 || NotFinite(d) || NotFinite(x[i]) || NotFinite(y[i]);
  }
  if (!Any(bad) && !tailBad) return -1;
  for (int k = 0; k < count; ++k) {
    const double d = (columns.C0x[k] + row.C1y) + 1.0;
    if (FirstFault(&d, x + k, y + k, 1) == 0) return k;
  }
  return -1;
}

VESK_INLINE int MapPointsBody(const JobTransform& t, const double* p, const double* q, int count, double* x,
                              double* y) {
  const V4d a0 = Splat(t.A0()), a1 = Splat(t.A1()), a2 = Splat(t.A2());
  const V4d b0 = Splat(t.B0()), b1 = Splat(t.B1()), b2 = Splat(t.B2());
  const V4d c0 = Splat(t.C0()), c1 = Splat(t.C1()), one = Splat(1.0);
  V4l bad{0, 0, 0, 0};
  int i = 0;
  for (; i + 4 <= count; i += 4) {
    const V4d vp = Load(p + i), vq = Load(q + i);
    const V4d d = (c0 * vp + c1 * vq) + one;
    const V4d vx = (a0 * vp + a1 * vq + a2) / d;
    const V4d vy = (b0 * vp + b1 * vq + b2) / d;
    bad |= (d == 0.0) | NotFinite(d) | NotFinite(vx) | NotFinite(vy);
    Store(x + i, vx);
    Store(y + i, vy);
  }
  bool tailBad = false;
  for (; i < count; ++i) {
    const double d = (t.C0() * p[i] + t.C1() * q[i]) + 1.0;
    x[i] = (t.A0() * p[i] + t.A1() * q[i] + t.A2()) / d;
    y[i] = (t.B0() * p[i] + t.B1() * q[i] + t.B2()) / d;
    tailBad = tailBad || d == 0.0 || NotFinite(d) || NotFinite(x[i]) || NotFinite(y[i]);
  }
  if (!Any(bad) && !tailBad) return -1;
  for (int k = 0; k < count; ++k) {
    const double d = (t.C0() * p[k] + t.C1() * q[k]) + 1.0;
    if (FirstFault(&d, x + k, y + k, 1) == 0) return k;
  }
  return -1;
}

template <bool Guarded, bool RowFlipped>
VESK_INLINE void PixelOffsetsBody(const PixelRule& rule, const double* x, const double* y, int count,
                                  std::int32_t* offsets) {
  const V4d offsetX = Splat(rule.OffsetX), offsetY = Splat(rule.OffsetY), scaleY = Splat(rule.ScaleY);
  const V4d width = Splat(rule.Width), height = Splat(rule.Height), minusOne = Splat(-1.0), zero = Splat(0.0);
  const V4d guardWidth = Splat(rule.GuardWidth), guardHeight = Splat(rule.GuardHeight);
  const V4i stride = {rule.Stride, rule.Stride, rule.Stride, rule.Stride};
  const V4i outside = {rule.Outside, rule.Outside, rule.Outside, rule.Outside};
  const V4i skip = {kSkip, kSkip, kSkip, kSkip};
  int i = 0;
  for (; i + 4 <= count; i += 4) {
    const V4d vx = Load(x + i), vy = Load(y + i);
    const V4d column = vx + offsetX;
    const V4d row = RowFlipped ? offsetY - vy * scaleY : vy;
    // trunc(v) lies in 0..n-1 exactly when -1 < v < n; this also keeps
    // values beyond the 32-bit range (and NaN) out of the conversion.
    const V4l inside = (column > minusOne) & (column < width) & (row > minusOne) & (row < height);
    const V4i columnIndex = __builtin_convertvector(inside ? column : zero, V4i);
    const V4i rowIndex = __builtin_convertvector(inside ? row : zero, V4i);
    V4i offset = __builtin_convertvector(inside, V4i) ? rowIndex * stride + columnIndex * 3 : outside;
    if (Guarded) {
      const V4l guard = (vx > zero) & (vx < guardWidth) & (vy > zero) & (vy < guardHeight);
      offset = __builtin_convertvector(guard, V4i) ? offset : skip;
    }
    Store(offsets + i, offset);
  }
  for (; i < count; ++i) {
    if (Guarded && !(x[i] > 0.0 && x[i] < rule.GuardWidth && y[i] > 0.0 && y[i] < rule.GuardHeight)) {
      offsets[i] = kSkip;
      continue;
    }
    const double column = x[i] + rule.OffsetX;
    const double row = RowFlipped ? rule.OffsetY - y[i] * rule.ScaleY : y[i];
    if (column > -1.0 && column < rule.Width && row > -1.0 && row < rule.Height)
      offsets[i] = static_cast<std::int32_t>(row) * rule.Stride + static_cast<std::int32_t>(column) * 3;
    else
      offsets[i] = rule.Outside;
  }
}

VESK_INLINE void PixelOffsetsDispatch(const PixelRule& rule, const double* x, const double* y, int count,
                                      std::int32_t* offsets) {
  if (rule.Guarded) {
    if (rule.RowFlipped)
      PixelOffsetsBody<true, true>(rule, x, y, count, offsets);
    else
      PixelOffsetsBody<true, false>(rule, x, y, count, offsets);
  } else {
    if (rule.RowFlipped)
      PixelOffsetsBody<false, true>(rule, x, y, count, offsets);
    else
      PixelOffsetsBody<false, false>(rule, x, y, count, offsets);
  }
}

int MapRowSeparableSse2(const MapColumns& columns, const MapRow& row, int count, double* x, double* y) {
  return MapRowSeparableBody(columns, row, count, x, y);
}
int MapPointsSse2(const JobTransform& t, const double* p, const double* q, int count, double* x, double* y) {
  return MapPointsBody(t, p, q, count, x, y);
}
void PixelOffsetsSse2(const PixelRule& rule, const double* x, const double* y, int count, std::int32_t* offsets) {
  PixelOffsetsDispatch(rule, x, y, count, offsets);
}

__attribute__((target("avx2"))) int MapRowSeparableAvx2(const MapColumns& columns, const MapRow& row, int count,
                                                        double* x, double* y) {
  return MapRowSeparableBody(columns, row, count, x, y);
}
__attribute__((target("avx2"))) int MapPointsAvx2(const JobTransform& t, const double* p, const double* q, int count,
                                                  double* x, double* y) {
  return MapPointsBody(t, p, q, count, x, y);
}
__attribute__((target("avx2"))) void PixelOffsetsAvx2(const PixelRule& rule, const double* x, const double* y,
                                                      int count, std::int32_t* offsets) {
  PixelOffsetsDispatch(rule, x, y, count, offsets);
}

}  // namespace

const Kernels& BaselineKernels() {
  static const Kernels kernels{MapRowSeparableSse2, MapPointsSse2, PixelOffsetsSse2};
  return kernels;
}

const Kernels& FastestKernels() {
  static const Kernels avx2{MapRowSeparableAvx2, MapPointsAvx2, PixelOffsetsAvx2};
  static const bool hasAvx2 = __builtin_cpu_supports("avx2");
  return hasAvx2 ? avx2 : BaselineKernels();
}

}  // namespace vesk::render_detail
