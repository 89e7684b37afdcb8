#include "render/RenderKernels.h"

#include <immintrin.h>

#include <cmath>
#include <cstring>

// The kernels come in three sets chosen at run time: the x86-64 baseline
// (GCC vector types on two SSE2 lanes), AVX2 (four lanes) and AVX-512 (eight
// lanes, with a byte-permute set for the pixel transfers). Each lane runs
// exactly the scalar operations in the scalar order, so all give the bits of
// the plain evaluation; there is no fused multiply-add (not enabled, and the
// build forbids contraction).

// The vector helpers below are always inlined and internal, so the ABI of
// passing wide vectors without AVX never applies.
#pragma GCC diagnostic ignored "-Wpsabi"
#if !defined(__clang__)
// GCC 12's AVX-512 headers pass deliberately undefined vectors through
// masked built-ins, which its own flow analysis then reports.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

namespace vesk::render_detail {
namespace {

template <int N>
struct Lanes;
template <>
struct Lanes<2> {
  typedef double D __attribute__((vector_size(16)));
};

#define VESK_INLINE inline __attribute__((always_inline))

template <int N, typename V, typename T>
VESK_INLINE V Splat(T s) {
  V v;
  for (int i = 0; i < N; ++i) v[i] = s;
  return v;
}
template <typename V, typename T>
VESK_INLINE V Load(const T* p) {
  V v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
template <typename V, typename T>
VESK_INLINE void Store(T* p, V v) {
  std::memcpy(p, &v, sizeof v);
}

// The plain evaluation of one sample; false on an arithmetic fault.
VESK_INLINE bool MapSample(double a0x, double b0x, double c0x, const MapRow& row, double& x, double& y) {
  const double d = (c0x + row.C1y) + 1.0;
  x = ((a0x + row.A1y) + row.A2) / d;
  y = ((b0x + row.B1y) + row.B2) / d;
  return d != 0.0 && std::isfinite(d) && std::isfinite(x) && std::isfinite(y);
}

VESK_INLINE bool MapPoint(const JobTransform& t, double p, double q, double& x, double& y) {
  const double d = (t.C0() * p + t.C1() * q) + 1.0;
  x = (t.A0() * p + t.A1() * q + t.A2()) / d;
  y = (t.B0() * p + t.B1() * q + t.B2()) / d;
  return d != 0.0 && std::isfinite(d) && std::isfinite(x) && std::isfinite(y);
}

VESK_INLINE std::int32_t PixelOffset(const PixelRule& rule, double x, double y) {
  if (rule.Guarded && !(x > 0.0 && x < rule.GuardWidth && y > 0.0 && y < rule.GuardHeight)) return kSkip;
  const double column = x + rule.OffsetX;
  const double row = rule.RowFlipped ? rule.OffsetY - y * rule.ScaleY : y;
  // trunc(v) lies in 0..n-1 exactly when -1 < v < n; this also keeps values
  // beyond the 32-bit range (and NaN) out of the conversion.
  if (column > -1.0 && column < rule.Width && row > -1.0 && row < rule.Height)
    return static_cast<std::int32_t>(row) * rule.Stride + static_cast<std::int32_t>(column) * rule.PixelBytes;
  return rule.Outside;
}

// The samples from `first` on, one at a time, after a vector kernel has done
// the rest; then, when any sample of the row faulted, the index of the first
// one that did (-1 when none).
VESK_INLINE int FinishMapRow(const MapColumns& columns, const MapRow& row, const PixelRule& rule, int first, int count,
                             bool ok, std::int32_t* offsets, double* xs, double* ys) {
  for (int i = first; i < count; ++i) {
    double x = 0, y = 0;
    ok = MapSample(columns.A0x[i], columns.B0x[i], columns.C0x[i], row, x, y) && ok;
    offsets[i] = PixelOffset(rule, x, y);
    if (xs != nullptr) {
      xs[i] = x;
      ys[i] = y;
    }
  }
  if (ok) return -1;
  for (int k = 0; k < count; ++k) {
    double x = 0, y = 0;
    if (!MapSample(columns.A0x[k], columns.B0x[k], columns.C0x[k], row, x, y)) return k;
  }
  return -1;
}

// As FinishMapRow, for points mapped through a whole transform.
VESK_INLINE int FinishMapPoints(const JobTransform& t, const PixelRule& rule, const double* p, const double* q,
                                int first, int count, bool ok, std::int32_t* offsets) {
  for (int i = first; i < count; ++i) {
    double x = 0, y = 0;
    ok = MapPoint(t, p[i], q[i], x, y) && ok;
    offsets[i] = PixelOffset(rule, x, y);
  }
  if (ok) return -1;
  for (int k = 0; k < count; ++k) {
    double x = 0, y = 0;
    if (!MapPoint(t, p[k], q[k], x, y)) return k;
  }
  return -1;
}

// v - v is 0 for a finite v and NaN for an infinite or NaN one; a zero
// denominator always leaves an infinite or NaN quotient. So a sum of these
// differences stays 0 exactly while no sample faults.
template <int N>
VESK_INLINE int MapRowOffsetsBody(const MapColumns& columns, const MapRow& row, const PixelRule& rule, int count,
                                  std::int32_t* offsets, double* xs, double* ys) {
  using D = typename Lanes<N>::D;
  const D a1y = Splat<N, D>(row.A1y), b1y = Splat<N, D>(row.B1y), c1y = Splat<N, D>(row.C1y);
  const D a2 = Splat<N, D>(row.A2), b2 = Splat<N, D>(row.B2), one = Splat<N, D>(1.0);
  D faults = Splat<N, D>(0.0);
  int i = 0;
  for (; i + N <= count; i += N) {
    const D d = (Load<D>(columns.C0x + i) + c1y) + one;
    const D x = ((Load<D>(columns.A0x + i) + a1y) + a2) / d;
    const D y = ((Load<D>(columns.B0x + i) + b1y) + b2) / d;
    faults = faults + (((d - d) + (x - x)) + (y - y));
    for (int k = 0; k < N; ++k) offsets[i + k] = PixelOffset(rule, x[k], y[k]);
    if (xs != nullptr) {
      Store(xs + i, x);
      Store(ys + i, y);
    }
  }
  bool ok = true;
  for (int k = 0; k < N; ++k) ok = ok && faults[k] == 0.0;
  return FinishMapRow(columns, row, rule, i, count, ok, offsets, xs, ys);
}

template <int N>
VESK_INLINE int MapPointOffsetsBody(const JobTransform& t, const PixelRule& rule, const double* p, const double* q,
                                    int count, std::int32_t* offsets) {
  using D = typename Lanes<N>::D;
  const D a0 = Splat<N, D>(t.A0()), a1 = Splat<N, D>(t.A1()), a2 = Splat<N, D>(t.A2());
  const D b0 = Splat<N, D>(t.B0()), b1 = Splat<N, D>(t.B1()), b2 = Splat<N, D>(t.B2());
  const D c0 = Splat<N, D>(t.C0()), c1 = Splat<N, D>(t.C1()), one = Splat<N, D>(1.0);
  D faults = Splat<N, D>(0.0);
  int i = 0;
  for (; i + N <= count; i += N) {
    const D vp = Load<D>(p + i), vq = Load<D>(q + i);
    const D d = (c0 * vp + c1 * vq) + one;
    const D x = (a0 * vp + a1 * vq + a2) / d;
    const D y = (b0 * vp + b1 * vq + b2) / d;
    faults = faults + (((d - d) + (x - x)) + (y - y));
    for (int k = 0; k < N; ++k) offsets[i + k] = PixelOffset(rule, x[k], y[k]);
  }
  bool ok = true;
  for (int k = 0; k < N; ++k) ok = ok && faults[k] == 0.0;
  return FinishMapPoints(t, rule, p, q, i, count, ok, offsets);
}

// The x86-64 baseline: two lanes of SSE2 arithmetic, pixel offsets lane by
// lane (wide comparisons without AVX2 come out no faster).
int MapRowOffsetsSse2(const MapColumns& columns, const MapRow& row, const PixelRule& rule, int count,
                      std::int32_t* offsets, double* xs, double* ys) {
  return MapRowOffsetsBody<2>(columns, row, rule, count, offsets, xs, ys);
}
int MapPointOffsetsSse2(const JobTransform& t, const PixelRule& rule, const double* p, const double* q, int count,
                        std::int32_t* offsets) {
  return MapPointOffsetsBody<2>(t, rule, p, q, count, offsets);
}

// The map kernels on AVX2: four lanes, the pixel rule's comparisons and
// conversions kept in vector registers.
#define VESK_AVX2 __attribute__((target("avx2")))

struct RuleLanes256 {
  __m256d OffsetX, OffsetY, ScaleY, MinusOne, Zero, Width, Height, GuardWidth, GuardHeight;
  __m128i Stride, PixelBytes, Outside, Skip;
};

VESK_AVX2 VESK_INLINE RuleLanes256 SplatRule256(const PixelRule& rule) {
  return RuleLanes256{_mm256_set1_pd(rule.OffsetX),
                      _mm256_set1_pd(rule.OffsetY),
                      _mm256_set1_pd(rule.ScaleY),
                      _mm256_set1_pd(-1.0),
                      _mm256_setzero_pd(),
                      _mm256_set1_pd(rule.Width),
                      _mm256_set1_pd(rule.Height),
                      _mm256_set1_pd(rule.GuardWidth),
                      _mm256_set1_pd(rule.GuardHeight),
                      _mm_set1_epi32(rule.Stride),
                      _mm_set1_epi32(rule.PixelBytes),
                      _mm_set1_epi32(rule.Outside),
                      _mm_set1_epi32(kSkip)};
}

// Four 64-bit lane masks as four 32-bit ones.
VESK_AVX2 VESK_INLINE __m128i NarrowMask(__m256d mask) {
  const __m256i narrowed =
      _mm256_permutevar8x32_epi32(_mm256_castpd_si256(mask), _mm256_setr_epi32(0, 2, 4, 6, 0, 2, 4, 6));
  return _mm256_castsi256_si128(narrowed);
}

template <bool Guarded, bool RowFlipped>
VESK_AVX2 VESK_INLINE __m128i Offsets256(const RuleLanes256& r, __m256d x, __m256d y) {
  const __m256d column = _mm256_add_pd(x, r.OffsetX);
  const __m256d row = RowFlipped ? _mm256_sub_pd(r.OffsetY, _mm256_mul_pd(y, r.ScaleY)) : y;
  // trunc(v) lies in 0..n-1 exactly when -1 < v < n; lanes outside convert
  // a zero instead.
  const __m256d inside = _mm256_and_pd(
      _mm256_and_pd(_mm256_cmp_pd(column, r.MinusOne, _CMP_GT_OQ), _mm256_cmp_pd(column, r.Width, _CMP_LT_OQ)),
      _mm256_and_pd(_mm256_cmp_pd(row, r.MinusOne, _CMP_GT_OQ), _mm256_cmp_pd(row, r.Height, _CMP_LT_OQ)));
  const __m128i columnIndex = _mm256_cvttpd_epi32(_mm256_and_pd(inside, column));
  const __m128i rowIndex = _mm256_cvttpd_epi32(_mm256_and_pd(inside, row));
  __m128i offset = _mm_add_epi32(_mm_mullo_epi32(rowIndex, r.Stride), _mm_mullo_epi32(columnIndex, r.PixelBytes));
  offset = _mm_blendv_epi8(r.Outside, offset, NarrowMask(inside));
  if (Guarded) {
    const __m256d guard =
        _mm256_and_pd(_mm256_and_pd(_mm256_cmp_pd(x, r.Zero, _CMP_GT_OQ), _mm256_cmp_pd(x, r.GuardWidth, _CMP_LT_OQ)),
                      _mm256_and_pd(_mm256_cmp_pd(y, r.Zero, _CMP_GT_OQ), _mm256_cmp_pd(y, r.GuardHeight, _CMP_LT_OQ)));
    offset = _mm_blendv_epi8(r.Skip, offset, NarrowMask(guard));
  }
  return offset;
}

VESK_AVX2 VESK_INLINE bool NoFault256(__m256d faults) {
  return _mm256_movemask_pd(_mm256_cmp_pd(faults, _mm256_setzero_pd(), _CMP_NEQ_UQ)) == 0;
}

template <bool Guarded, bool RowFlipped>
VESK_AVX2 inline int MapRowOffsetsAvx2Body(const MapColumns& columns, const MapRow& row, const PixelRule& rule,
                                           int count, std::int32_t* offsets, double* xs, double* ys) {
  const __m256d a1y = _mm256_set1_pd(row.A1y), b1y = _mm256_set1_pd(row.B1y), c1y = _mm256_set1_pd(row.C1y);
  const __m256d a2 = _mm256_set1_pd(row.A2), b2 = _mm256_set1_pd(row.B2), one = _mm256_set1_pd(1.0);
  const RuleLanes256 lanes = SplatRule256(rule);
  __m256d faults = _mm256_setzero_pd();
  int i = 0;
  for (; i + 4 <= count; i += 4) {
    const __m256d d = _mm256_add_pd(_mm256_add_pd(_mm256_loadu_pd(columns.C0x + i), c1y), one);
    const __m256d x = _mm256_div_pd(_mm256_add_pd(_mm256_add_pd(_mm256_loadu_pd(columns.A0x + i), a1y), a2), d);
    const __m256d y = _mm256_div_pd(_mm256_add_pd(_mm256_add_pd(_mm256_loadu_pd(columns.B0x + i), b1y), b2), d);
    faults = _mm256_add_pd(faults,
                           _mm256_add_pd(_mm256_add_pd(_mm256_sub_pd(d, d), _mm256_sub_pd(x, x)), _mm256_sub_pd(y, y)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(offsets + i), Offsets256<Guarded, RowFlipped>(lanes, x, y));
    if (xs != nullptr) {
      _mm256_storeu_pd(xs + i, x);
      _mm256_storeu_pd(ys + i, y);
    }
  }
  return FinishMapRow(columns, row, rule, i, count, NoFault256(faults), offsets, xs, ys);
}

VESK_AVX2 int MapRowOffsetsAvx2(const MapColumns& columns, const MapRow& row, const PixelRule& rule, int count,
                                std::int32_t* offsets, double* xs, double* ys) {
  if (rule.Guarded)
    return rule.RowFlipped ? MapRowOffsetsAvx2Body<true, true>(columns, row, rule, count, offsets, xs, ys)
                           : MapRowOffsetsAvx2Body<true, false>(columns, row, rule, count, offsets, xs, ys);
  return rule.RowFlipped ? MapRowOffsetsAvx2Body<false, true>(columns, row, rule, count, offsets, xs, ys)
                         : MapRowOffsetsAvx2Body<false, false>(columns, row, rule, count, offsets, xs, ys);
}

template <bool Guarded, bool RowFlipped>
VESK_AVX2 inline int MapPointOffsetsAvx2Body(const JobTransform& t, const PixelRule& rule, const double* p,
                                             const double* q, int count, std::int32_t* offsets) {
  const __m256d a0 = _mm256_set1_pd(t.A0()), a1 = _mm256_set1_pd(t.A1()), a2 = _mm256_set1_pd(t.A2());
  const __m256d b0 = _mm256_set1_pd(t.B0()), b1 = _mm256_set1_pd(t.B1()), b2 = _mm256_set1_pd(t.B2());
  const __m256d c0 = _mm256_set1_pd(t.C0()), c1 = _mm256_set1_pd(t.C1()), one = _mm256_set1_pd(1.0);
  const RuleLanes256 lanes = SplatRule256(rule);
  __m256d faults = _mm256_setzero_pd();
  int i = 0;
  for (; i + 4 <= count; i += 4) {
    const __m256d vp = _mm256_loadu_pd(p + i), vq = _mm256_loadu_pd(q + i);
    const __m256d d = _mm256_add_pd(_mm256_add_pd(_mm256_mul_pd(c0, vp), _mm256_mul_pd(c1, vq)), one);
    const __m256d x = _mm256_div_pd(_mm256_add_pd(_mm256_add_pd(_mm256_mul_pd(a0, vp), _mm256_mul_pd(a1, vq)), a2), d);
    const __m256d y = _mm256_div_pd(_mm256_add_pd(_mm256_add_pd(_mm256_mul_pd(b0, vp), _mm256_mul_pd(b1, vq)), b2), d);
    faults = _mm256_add_pd(faults,
                           _mm256_add_pd(_mm256_add_pd(_mm256_sub_pd(d, d), _mm256_sub_pd(x, x)), _mm256_sub_pd(y, y)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(offsets + i), Offsets256<Guarded, RowFlipped>(lanes, x, y));
  }
  return FinishMapPoints(t, rule, p, q, i, count, NoFault256(faults), offsets);
}

VESK_AVX2 int MapPointOffsetsAvx2(const JobTransform& t, const PixelRule& rule, const double* p, const double* q,
                                  int count, std::int32_t* offsets) {
  if (rule.Guarded)
    return rule.RowFlipped ? MapPointOffsetsAvx2Body<true, true>(t, rule, p, q, count, offsets)
                           : MapPointOffsetsAvx2Body<true, false>(t, rule, p, q, count, offsets);
  return rule.RowFlipped ? MapPointOffsetsAvx2Body<false, true>(t, rule, p, q, count, offsets)
                         : MapPointOffsetsAvx2Body<false, false>(t, rule, p, q, count, offsets);
}

#define VESK_AVX512 __attribute__((target("avx512f,avx512dq,avx512vl,avx512bw")))

// A pixel rule on eight lanes with AVX-512 mask registers.
struct RuleLanes512 {
  __m512d OffsetX, OffsetY, ScaleY, MinusOne, Zero, Width, Height, GuardWidth, GuardHeight;
  __m256i Stride, PixelBytes, Outside, Skip;
};

VESK_AVX512 VESK_INLINE RuleLanes512 SplatRule512(const PixelRule& rule) {
  return RuleLanes512{_mm512_set1_pd(rule.OffsetX),
                      _mm512_set1_pd(rule.OffsetY),
                      _mm512_set1_pd(rule.ScaleY),
                      _mm512_set1_pd(-1.0),
                      _mm512_setzero_pd(),
                      _mm512_set1_pd(rule.Width),
                      _mm512_set1_pd(rule.Height),
                      _mm512_set1_pd(rule.GuardWidth),
                      _mm512_set1_pd(rule.GuardHeight),
                      _mm256_set1_epi32(rule.Stride),
                      _mm256_set1_epi32(rule.PixelBytes),
                      _mm256_set1_epi32(rule.Outside),
                      _mm256_set1_epi32(kSkip)};
}

template <bool Guarded, bool RowFlipped>
VESK_AVX512 VESK_INLINE __m256i Offsets512(const RuleLanes512& r, __m512d x, __m512d y) {
  const __m512d column = _mm512_add_pd(x, r.OffsetX);
  const __m512d row = RowFlipped ? _mm512_sub_pd(r.OffsetY, _mm512_mul_pd(y, r.ScaleY)) : y;
  // trunc(v) lies in 0..n-1 exactly when -1 < v < n.
  const __mmask8 inside =
      _mm512_cmp_pd_mask(column, r.MinusOne, _CMP_GT_OQ) & _mm512_cmp_pd_mask(column, r.Width, _CMP_LT_OQ) &
      _mm512_cmp_pd_mask(row, r.MinusOne, _CMP_GT_OQ) & _mm512_cmp_pd_mask(row, r.Height, _CMP_LT_OQ);
  const __m256i columnIndex = _mm512_maskz_cvttpd_epi32(inside, column);
  const __m256i rowIndex = _mm512_maskz_cvttpd_epi32(inside, row);
  __m256i offset =
      _mm256_add_epi32(_mm256_mullo_epi32(rowIndex, r.Stride), _mm256_mullo_epi32(columnIndex, r.PixelBytes));
  offset = _mm256_mask_blend_epi32(inside, r.Outside, offset);
  if (Guarded) {
    const __mmask8 guard = _mm512_cmp_pd_mask(x, r.Zero, _CMP_GT_OQ) & _mm512_cmp_pd_mask(x, r.GuardWidth, _CMP_LT_OQ) &
                           _mm512_cmp_pd_mask(y, r.Zero, _CMP_GT_OQ) & _mm512_cmp_pd_mask(y, r.GuardHeight, _CMP_LT_OQ);
    offset = _mm256_mask_blend_epi32(guard, r.Skip, offset);
  }
  return offset;
}

template <bool Guarded, bool RowFlipped>
VESK_AVX512 inline int MapRowOffsetsAvx512Body(const MapColumns& columns, const MapRow& row, const PixelRule& rule,
                                               int count, std::int32_t* offsets, double* xs, double* ys) {
  const __m512d a1y = _mm512_set1_pd(row.A1y), b1y = _mm512_set1_pd(row.B1y), c1y = _mm512_set1_pd(row.C1y);
  const __m512d a2 = _mm512_set1_pd(row.A2), b2 = _mm512_set1_pd(row.B2), one = _mm512_set1_pd(1.0);
  const RuleLanes512 lanes = SplatRule512(rule);
  __m512d faults = _mm512_setzero_pd();
  int i = 0;
  for (; i + 8 <= count; i += 8) {
    const __m512d d = _mm512_add_pd(_mm512_add_pd(_mm512_loadu_pd(columns.C0x + i), c1y), one);
    const __m512d x = _mm512_div_pd(_mm512_add_pd(_mm512_add_pd(_mm512_loadu_pd(columns.A0x + i), a1y), a2), d);
    const __m512d y = _mm512_div_pd(_mm512_add_pd(_mm512_add_pd(_mm512_loadu_pd(columns.B0x + i), b1y), b2), d);
    faults = _mm512_add_pd(faults,
                           _mm512_add_pd(_mm512_add_pd(_mm512_sub_pd(d, d), _mm512_sub_pd(x, x)), _mm512_sub_pd(y, y)));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(offsets + i), Offsets512<Guarded, RowFlipped>(lanes, x, y));
    if (xs != nullptr) {
      _mm512_storeu_pd(xs + i, x);
      _mm512_storeu_pd(ys + i, y);
    }
  }
  bool ok = _mm512_cmp_pd_mask(faults, _mm512_setzero_pd(), _CMP_NEQ_UQ) == 0;
  return FinishMapRow(columns, row, rule, i, count, ok, offsets, xs, ys);
}

VESK_AVX512 int MapRowOffsetsAvx512(const MapColumns& columns, const MapRow& row, const PixelRule& rule, int count,
                                    std::int32_t* offsets, double* xs, double* ys) {
  if (rule.Guarded)
    return rule.RowFlipped ? MapRowOffsetsAvx512Body<true, true>(columns, row, rule, count, offsets, xs, ys)
                           : MapRowOffsetsAvx512Body<true, false>(columns, row, rule, count, offsets, xs, ys);
  return rule.RowFlipped ? MapRowOffsetsAvx512Body<false, true>(columns, row, rule, count, offsets, xs, ys)
                         : MapRowOffsetsAvx512Body<false, false>(columns, row, rule, count, offsets, xs, ys);
}

template <bool Guarded, bool RowFlipped>
VESK_AVX512 inline int MapPointOffsetsAvx512Body(const JobTransform& t, const PixelRule& rule, const double* p,
                                                 const double* q, int count, std::int32_t* offsets) {
  const __m512d a0 = _mm512_set1_pd(t.A0()), a1 = _mm512_set1_pd(t.A1()), a2 = _mm512_set1_pd(t.A2());
  const __m512d b0 = _mm512_set1_pd(t.B0()), b1 = _mm512_set1_pd(t.B1()), b2 = _mm512_set1_pd(t.B2());
  const __m512d c0 = _mm512_set1_pd(t.C0()), c1 = _mm512_set1_pd(t.C1()), one = _mm512_set1_pd(1.0);
  const RuleLanes512 lanes = SplatRule512(rule);
  __m512d faults = _mm512_setzero_pd();
  int i = 0;
  for (; i + 8 <= count; i += 8) {
    const __m512d vp = _mm512_loadu_pd(p + i), vq = _mm512_loadu_pd(q + i);
    const __m512d d = _mm512_add_pd(_mm512_add_pd(_mm512_mul_pd(c0, vp), _mm512_mul_pd(c1, vq)), one);
    const __m512d x = _mm512_div_pd(_mm512_add_pd(_mm512_add_pd(_mm512_mul_pd(a0, vp), _mm512_mul_pd(a1, vq)), a2), d);
    const __m512d y = _mm512_div_pd(_mm512_add_pd(_mm512_add_pd(_mm512_mul_pd(b0, vp), _mm512_mul_pd(b1, vq)), b2), d);
    faults = _mm512_add_pd(faults,
                           _mm512_add_pd(_mm512_add_pd(_mm512_sub_pd(d, d), _mm512_sub_pd(x, x)), _mm512_sub_pd(y, y)));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(offsets + i), Offsets512<Guarded, RowFlipped>(lanes, x, y));
  }
  bool ok = _mm512_cmp_pd_mask(faults, _mm512_setzero_pd(), _CMP_NEQ_UQ) == 0;
  return FinishMapPoints(t, rule, p, q, i, count, ok, offsets);
}

VESK_AVX512 int MapPointOffsetsAvx512(const JobTransform& t, const PixelRule& rule, const double* p, const double* q,
                                      int count, std::int32_t* offsets) {
  if (rule.Guarded)
    return rule.RowFlipped ? MapPointOffsetsAvx512Body<true, true>(t, rule, p, q, count, offsets)
                           : MapPointOffsetsAvx512Body<true, false>(t, rule, p, q, count, offsets);
  return rule.RowFlipped ? MapPointOffsetsAvx512Body<false, true>(t, rule, p, q, count, offsets)
                         : MapPointOffsetsAvx512Body<false, false>(t, rule, p, q, count, offsets);
}

#define VESK_AVX512_BYTES __attribute__((target("avx512f,avx512dq,avx512vl,avx512bw,avx512vbmi")))

// Byte indices that pack sixteen 4-byte pixels into 48 bytes of R, G, B, and
// that spread 48 bytes of R, G, B into sixteen 4-byte pixels.
struct BytePermutations {
  alignas(64) std::uint8_t Pack[64];
  alignas(64) std::uint8_t Spread[64];
  constexpr BytePermutations() : Pack{}, Spread{} {
    for (int i = 0; i < 64; ++i) {
      Pack[i] = static_cast<std::uint8_t>(i < 48 ? 4 * (i / 3) + i % 3 : 0);
      Spread[i] = static_cast<std::uint8_t>(3 * (i / 4) + (i % 4 < 3 ? i % 4 : 2));
    }
  }
};
constexpr BytePermutations kPermutations;

// Grey levels (R + G + B) div 3 of sixteen 4-byte pixels; x * 43691 >> 17 is
// x div 3 for every channel sum up to 765.
VESK_AVX512_BYTES VESK_INLINE __m512i Greys512(__m512i pixels) {
  const __m512i byte = _mm512_set1_epi32(0xFF);
  const __m512i sum = _mm512_add_epi32(
      _mm512_add_epi32(_mm512_and_si512(pixels, byte), _mm512_and_si512(_mm512_srli_epi32(pixels, 8), byte)),
      _mm512_and_si512(_mm512_srli_epi32(pixels, 16), byte));
  return _mm512_srli_epi32(_mm512_mullo_epi32(sum, _mm512_set1_epi32(43691)), 17);
}

// Writes the pixels of the lanes in `keep` as 48 bytes of R, G, B.
VESK_AVX512_BYTES VESK_INLINE void StorePixels512(std::uint8_t* to, __m512i pixels, __mmask16 keep) {
  const __m512i pack = _mm512_load_si512(kPermutations.Pack);
  const __m512i packed = _mm512_permutexvar_epi8(pack, pixels);
  const __mmask64 bytes =
      _mm512_movepi8_mask(_mm512_permutexvar_epi8(pack, _mm512_movm_epi32(keep))) & ((std::uint64_t{1} << 48) - 1);
  _mm512_mask_storeu_epi8(to, bytes, packed);
}

// The pixels of one eye's samples as 4-byte words, R, G, B in the low three
// bytes: gathered at offsets (white outside the photograph) or read along a
// row.
VESK_AVX512_BYTES VESK_INLINE __m512i EyePixels512(const std::uint8_t* source, const std::int32_t* offsets, int i,
                                                   __mmask16& keep) {
  if (offsets == nullptr) {
    const __m512i bytes = _mm512_maskz_loadu_epi8((std::uint64_t{1} << 48) - 1, source + 3 * i);
    return _mm512_permutexvar_epi8(_mm512_load_si512(kPermutations.Spread), bytes);
  }
  const __m512i offset = _mm512_loadu_si512(offsets + i);
  const __mmask16 inside = _mm512_cmpge_epi32_mask(offset, _mm512_setzero_si512());
  keep &= _mm512_cmpneq_epi32_mask(offset, _mm512_set1_epi32(kSkip));
  return _mm512_mask_i32gather_epi32(_mm512_set1_epi32(0xFFFFFF), inside, offset, source, 1);
}

// Byte shuffles (within each 128-bit lane; -128 gives 0) that put two
// channels of a pixel word into the two 16-bit halves of its lane, the
// operand pairs of the optimised method's products.
struct ChannelPairs {
  alignas(64) std::int8_t RedGreen[64];   // (r, g) of the same pixel
  alignas(64) std::int8_t Blue[64];       // (b, 0)
  alignas(64) std::int8_t Red[64];        // (0, r)
  alignas(64) std::int8_t GreenBlue[64];  // (g, b)
  constexpr ChannelPairs() : RedGreen{}, Blue{}, Red{}, GreenBlue{} {
    for (int i = 0; i < 64; ++i) {
      const int word = (i % 16) & ~3, byte = i % 4;
      const auto at = [&](int channel) { return static_cast<std::int8_t>(channel < 0 ? -128 : word + channel); };
      RedGreen[i] = at(byte == 0 ? 0 : byte == 2 ? 1 : -1);
      Blue[i] = at(byte == 0 ? 2 : -1);
      Red[i] = at(byte == 2 ? 0 : -1);
      GreenBlue[i] = at(byte == 0 ? 1 : byte == 2 ? 2 : -1);
    }
  }
};
constexpr ChannelPairs kChannelPairs;

// Two 16-bit factors side by side in every lane.
VESK_AVX512_BYTES VESK_INLINE __m512i FactorPair(std::int32_t low, std::int32_t high) {
  return _mm512_set1_epi32(
      static_cast<int>((static_cast<std::uint32_t>(high) << 16) | static_cast<std::uint16_t>(low)));
}

// One channel of the optimised method: the six products summed in 32 bits,
// then floor(max(sum + 500, 0) / 1000) clamped to 255, as DuboisChannel. The
// division is floor(floor(t / 8) / 125), and x * 33555 >> 22 is x div 125 for
// every x below 59074; t stays below 316000, so x fits in the low 16 bits of
// its lane and the multiplication is a 16-bit one keeping the high half.
VESK_AVX512_BYTES VESK_INLINE __m512i DuboisChannel512(__m512i redGreen, __m512i blueRed, __m512i greenBlue,
                                                       const std::int32_t (&row)[6]) {
  const __m512i sum = _mm512_add_epi32(_mm512_add_epi32(_mm512_madd_epi16(redGreen, FactorPair(row[0], row[1])),
                                                        _mm512_madd_epi16(blueRed, FactorPair(row[2], row[3]))),
                                       _mm512_madd_epi16(greenBlue, FactorPair(row[4], row[5])));
  const __m512i shifted = _mm512_max_epi32(_mm512_add_epi32(sum, _mm512_set1_epi32(500)), _mm512_setzero_si512());
  const __m512i eighths = _mm512_srli_epi32(shifted, 3);
  const __m512i level = _mm512_srli_epi32(_mm512_mulhi_epu16(eighths, _mm512_set1_epi32(33555)), 6);
  return _mm512_min_epi32(level, _mm512_set1_epi32(255));
}

// The anaglyph colours of sixteen points as pixel words (only the low three
// bytes count) from the left and right eyes' pixel words.
template <AnaglyphMethod M>
VESK_AVX512_BYTES VESK_INLINE __m512i Compose512(__m512i left, __m512i right) {
  // Byte 0 of every lane: the red channel.
  constexpr __mmask64 kRed = 0x1111111111111111;
  if constexpr (M == AnaglyphMethod::RedGreen) {
    return _mm512_or_si512(Greys512(left), _mm512_slli_epi32(Greys512(right), 8));
  } else if constexpr (M == AnaglyphMethod::RedBlue) {
    return _mm512_or_si512(Greys512(left), _mm512_slli_epi32(Greys512(right), 16));
  } else if constexpr (M == AnaglyphMethod::RedCyan) {
    const __m512i grey = Greys512(right);
    return _mm512_or_si512(Greys512(left), _mm512_or_si512(_mm512_slli_epi32(grey, 8), _mm512_slli_epi32(grey, 16)));
  } else if constexpr (M == AnaglyphMethod::RedCyanColour) {
    return _mm512_mask_blend_epi8(kRed, right, left);
  } else if constexpr (M == AnaglyphMethod::RedCyanHalfColour) {
    return _mm512_mask_blend_epi8(kRed, right, Greys512(left));
  } else {
    const __m512i redGreen = _mm512_shuffle_epi8(left, _mm512_load_si512(kChannelPairs.RedGreen));
    const __m512i blueRed = _mm512_or_si512(_mm512_shuffle_epi8(left, _mm512_load_si512(kChannelPairs.Blue)),
                                            _mm512_shuffle_epi8(right, _mm512_load_si512(kChannelPairs.Red)));
    const __m512i greenBlue = _mm512_shuffle_epi8(right, _mm512_load_si512(kChannelPairs.GreenBlue));
    const __m512i red = DuboisChannel512(redGreen, blueRed, greenBlue, kDuboisRedCyan[0]);
    const __m512i green = DuboisChannel512(redGreen, blueRed, greenBlue, kDuboisRedCyan[1]);
    const __m512i blue = DuboisChannel512(redGreen, blueRed, greenBlue, kDuboisRedCyan[2]);
    return _mm512_or_si512(red, _mm512_or_si512(_mm512_slli_epi32(green, 8), _mm512_slli_epi32(blue, 16)));
  }
}

template <AnaglyphMethod M>
VESK_AVX512_BYTES inline int AnaglyphRowAvx512As(const std::uint8_t* left, const std::int32_t* leftOffsets,
                                                 const std::uint8_t* right, const std::int32_t* rightOffsets, int count,
                                                 std::uint8_t* to) {
  int i = 0;
  for (; i + 16 <= count; i += 16, to += 48) {
    __mmask16 keep = 0xFFFF;
    const __m512i leftPixels = EyePixels512(left, leftOffsets, i, keep);
    const __m512i rightPixels = EyePixels512(right, rightOffsets, i, keep);
    StorePixels512(to, Compose512<M>(leftPixels, rightPixels), keep);
  }
  return i;
}

VESK_AVX512_BYTES int AnaglyphRowAvx512(AnaglyphMethod method, const std::uint8_t* left,
                                        const std::int32_t* leftOffsets, const std::uint8_t* right,
                                        const std::int32_t* rightOffsets, int count, std::uint8_t* to) {
  switch (method) {
    case AnaglyphMethod::RedGreen:
      return AnaglyphRowAvx512As<AnaglyphMethod::RedGreen>(left, leftOffsets, right, rightOffsets, count, to);
    case AnaglyphMethod::RedBlue:
      return AnaglyphRowAvx512As<AnaglyphMethod::RedBlue>(left, leftOffsets, right, rightOffsets, count, to);
    case AnaglyphMethod::RedCyan:
      return AnaglyphRowAvx512As<AnaglyphMethod::RedCyan>(left, leftOffsets, right, rightOffsets, count, to);
    case AnaglyphMethod::RedCyanColour:
      return AnaglyphRowAvx512As<AnaglyphMethod::RedCyanColour>(left, leftOffsets, right, rightOffsets, count, to);
    case AnaglyphMethod::RedCyanHalfColour:
      return AnaglyphRowAvx512As<AnaglyphMethod::RedCyanHalfColour>(left, leftOffsets, right, rightOffsets, count, to);
    case AnaglyphMethod::RedCyanOptimised:
      return AnaglyphRowAvx512As<AnaglyphMethod::RedCyanOptimised>(left, leftOffsets, right, rightOffsets, count, to);
  }
  return 0;
}

// Samples [from, to) of a forward scatter one at a time, where they do not
// go to consecutive pixels.
VESK_INLINE void ScatterOneByOne(const std::int32_t* targets, const std::uint8_t* colours, std::uint16_t* writers,
                                 std::uint16_t firstWriter, int from, int to, std::uint8_t* result) {
  for (int k = from; k < to; ++k) {
    const std::int32_t target = targets[k];
    const auto writer = static_cast<std::uint16_t>(firstWriter + k);
    if (target < 0 || writer < writers[target]) continue;
    writers[target] = writer;
    std::memcpy(result + 3 * static_cast<std::ptrdiff_t>(target), colours + 3 * k, 3);
  }
}

// Each bit of a byte repeated three times: the byte mask of the pixels of
// eight lanes.
struct TripledBits {
  std::uint32_t Of[256];
  constexpr TripledBits() : Of{} {
    for (int b = 0; b < 256; ++b)
      for (int k = 0; k < 8; ++k)
        if (b & (1 << k)) Of[b] |= 7u << (3 * k);
  }
};
constexpr TripledBits kTripled;

VESK_AVX512_BYTES void ScatterRow16Avx512(const std::int32_t* targets, const std::uint8_t* colours,
                                          std::uint16_t* writers, std::uint16_t firstWriter, int count,
                                          std::uint8_t* result) {
  const __m512i lanes = _mm512_set_epi32(15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0);
  const __m256i writerLanes = _mm256_set_epi16(15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0);
  int i = 0;
  for (; i + 16 <= count; i += 16) {
    const std::int32_t first = targets[i];
    const __m512i expected = _mm512_add_epi32(_mm512_set1_epi32(first), lanes);
    if (first >= 0 && _mm512_cmpeq_epi32_mask(_mm512_loadu_si512(targets + i), expected) == 0xFFFF) {
      // Sixteen different pixels one after the other: each sample meets only
      // the writers of earlier rows, so all are decided at once.
      const __m256i writer = _mm256_add_epi16(_mm256_set1_epi16(static_cast<short>(firstWriter + i)), writerLanes);
      const __m256i earlier = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(writers + first));
      const __mmask16 keep = _mm256_cmpge_epu16_mask(writer, earlier);
      _mm256_mask_storeu_epi16(writers + first, keep, writer);
      const __mmask64 bytes = kTripled.Of[keep & 0xFF] | (std::uint64_t{kTripled.Of[keep >> 8]} << 24);
      const __m512i pixels = _mm512_maskz_loadu_epi8((std::uint64_t{1} << 48) - 1, colours + 3 * i);
      _mm512_mask_storeu_epi8(result + 3 * static_cast<std::ptrdiff_t>(first), bytes, pixels);
      continue;
    }
    ScatterOneByOne(targets, colours, writers, firstWriter, i, i + 16, result);
  }
  ScatterOneByOne(targets, colours, writers, firstWriter, i, count, result);
}

// The anaglyph and scatter kernels once more on AVX2, for the processors
// that have it without AVX-512: eight pixels a step where AVX-512 takes
// sixteen, with the same integer arithmetic and so the same bytes.
#define VESK_AVX2_BYTES __attribute__((target("avx2")))

// Byte shuffles within each 128-bit lane: four pixels of 3 bytes into four
// 4-byte words (the low lane from bytes 0..11 of its load, the high lane from
// bytes 4..15 of a load 8 bytes further on), and back.
struct LanePermutations256 {
  alignas(32) std::int8_t Spread[32];
  alignas(32) std::int8_t Pack[32];
  constexpr LanePermutations256() : Spread{}, Pack{} {
    for (int i = 0; i < 32; ++i) {
      const int pixel = (i % 16) / 4, byte = i % 4, base = i < 16 ? 0 : 4;
      Spread[i] = static_cast<std::int8_t>(byte < 3 ? base + 3 * pixel + byte : -128);
      const int packed = i % 16;
      Pack[i] = static_cast<std::int8_t>(packed < 12 ? 4 * (packed / 3) + packed % 3 : -128);
    }
  }
};
constexpr LanePermutations256 kLanePermutations;

VESK_AVX2_BYTES VESK_INLINE __m256i Load256(const void* p) {
  return _mm256_loadu_si256(static_cast<const __m256i*>(p));
}

// Eight pixels of 3 bytes read along a row, exactly the 24 bytes, as words.
VESK_AVX2_BYTES VESK_INLINE __m256i SpreadPixels256(const std::uint8_t* from) {
  const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
  const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 8));
  return _mm256_shuffle_epi8(_mm256_setr_m128i(low, high), Load256(kLanePermutations.Spread));
}

// Eight words packed into their 24 bytes of R, G, B (the low 24 bytes).
VESK_AVX2_BYTES VESK_INLINE __m256i PackPixels256(__m256i words) {
  const __m256i packed = _mm256_shuffle_epi8(words, Load256(kLanePermutations.Pack));
  return _mm256_permutevar8x32_epi32(packed, _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 3, 7));
}

VESK_AVX2_BYTES VESK_INLINE void Store24(std::uint8_t* to, __m256i bytes) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(to), _mm256_castsi256_si128(bytes));
  _mm_storel_epi64(reinterpret_cast<__m128i*>(to + 16), _mm256_extracti128_si256(bytes, 1));
}

VESK_AVX2_BYTES VESK_INLINE __m256i Load24(const std::uint8_t* from) {
  return _mm256_setr_m128i(_mm_loadu_si128(reinterpret_cast<const __m128i*>(from)),
                           _mm_loadl_epi64(reinterpret_cast<const __m128i*>(from + 16)));
}

// Writes the words of the lanes whose `keep` is all ones as 24 bytes of R,
// G, B; the other pixels keep their bytes. Nothing outside the 24 bytes is
// touched.
VESK_AVX2_BYTES VESK_INLINE void StorePixels256(std::uint8_t* to, __m256i words, __m256i keep) {
  const __m256i packed = PackPixels256(words);
  const int kept = _mm256_movemask_ps(_mm256_castsi256_ps(keep));
  if (kept == 0xFF) {
    Store24(to, packed);
  } else if (kept != 0) {
    const __m256i bytes = PackPixels256(keep);
    Store24(to, _mm256_blendv_epi8(Load24(to), packed, bytes));
  }
}

// Grey levels (R + G + B) div 3 of eight pixel words, as Greys512.
VESK_AVX2_BYTES VESK_INLINE __m256i Greys256(__m256i pixels) {
  const __m256i byte = _mm256_set1_epi32(0xFF);
  const __m256i sum = _mm256_add_epi32(
      _mm256_add_epi32(_mm256_and_si256(pixels, byte), _mm256_and_si256(_mm256_srli_epi32(pixels, 8), byte)),
      _mm256_and_si256(_mm256_srli_epi32(pixels, 16), byte));
  return _mm256_srli_epi32(_mm256_mullo_epi32(sum, _mm256_set1_epi32(43691)), 17);
}

// One eye's samples as pixel words: gathered at offsets (white outside the
// photograph) or read along a row; lanes with a skipped sample clear `keep`.
VESK_AVX2_BYTES VESK_INLINE __m256i EyePixels256(const std::uint8_t* source, const std::int32_t* offsets, int i,
                                                 __m256i& keep) {
  if (offsets == nullptr) return SpreadPixels256(source + 3 * i);
  const __m256i offset = Load256(offsets + i);
  const __m256i inside = _mm256_cmpgt_epi32(offset, _mm256_set1_epi32(-1));
  keep = _mm256_andnot_si256(_mm256_cmpeq_epi32(offset, _mm256_set1_epi32(kSkip)), keep);
  return _mm256_mask_i32gather_epi32(_mm256_set1_epi32(0xFFFFFF), reinterpret_cast<const int*>(source), offset, inside,
                                     1);
}

VESK_AVX2_BYTES VESK_INLINE __m256i FactorPair256(std::int32_t low, std::int32_t high) {
  return _mm256_set1_epi32(
      static_cast<int>((static_cast<std::uint32_t>(high) << 16) | static_cast<std::uint16_t>(low)));
}

// One channel of the optimised method, as DuboisChannel512.
VESK_AVX2_BYTES VESK_INLINE __m256i DuboisChannel256(__m256i redGreen, __m256i blueRed, __m256i greenBlue,
                                                     const std::int32_t (&row)[6]) {
  const __m256i sum = _mm256_add_epi32(_mm256_add_epi32(_mm256_madd_epi16(redGreen, FactorPair256(row[0], row[1])),
                                                        _mm256_madd_epi16(blueRed, FactorPair256(row[2], row[3]))),
                                       _mm256_madd_epi16(greenBlue, FactorPair256(row[4], row[5])));
  const __m256i shifted = _mm256_max_epi32(_mm256_add_epi32(sum, _mm256_set1_epi32(500)), _mm256_setzero_si256());
  const __m256i eighths = _mm256_srli_epi32(shifted, 3);
  const __m256i level = _mm256_srli_epi32(_mm256_mulhi_epu16(eighths, _mm256_set1_epi32(33555)), 6);
  return _mm256_min_epi32(level, _mm256_set1_epi32(255));
}

template <AnaglyphMethod M>
VESK_AVX2_BYTES VESK_INLINE __m256i Compose256(__m256i left, __m256i right) {
  const __m256i red = _mm256_set1_epi32(0xFF);
  if constexpr (M == AnaglyphMethod::RedGreen) {
    return _mm256_or_si256(Greys256(left), _mm256_slli_epi32(Greys256(right), 8));
  } else if constexpr (M == AnaglyphMethod::RedBlue) {
    return _mm256_or_si256(Greys256(left), _mm256_slli_epi32(Greys256(right), 16));
  } else if constexpr (M == AnaglyphMethod::RedCyan) {
    const __m256i grey = Greys256(right);
    return _mm256_or_si256(Greys256(left), _mm256_or_si256(_mm256_slli_epi32(grey, 8), _mm256_slli_epi32(grey, 16)));
  } else if constexpr (M == AnaglyphMethod::RedCyanColour) {
    return _mm256_blendv_epi8(right, left, red);
  } else if constexpr (M == AnaglyphMethod::RedCyanHalfColour) {
    return _mm256_blendv_epi8(right, Greys256(left), red);
  } else {
    const __m256i redGreen = _mm256_shuffle_epi8(left, Load256(kChannelPairs.RedGreen));
    const __m256i blueRed = _mm256_or_si256(_mm256_shuffle_epi8(left, Load256(kChannelPairs.Blue)),
                                            _mm256_shuffle_epi8(right, Load256(kChannelPairs.Red)));
    const __m256i greenBlue = _mm256_shuffle_epi8(right, Load256(kChannelPairs.GreenBlue));
    const __m256i r = DuboisChannel256(redGreen, blueRed, greenBlue, kDuboisRedCyan[0]);
    const __m256i g = DuboisChannel256(redGreen, blueRed, greenBlue, kDuboisRedCyan[1]);
    const __m256i b = DuboisChannel256(redGreen, blueRed, greenBlue, kDuboisRedCyan[2]);
    return _mm256_or_si256(r, _mm256_or_si256(_mm256_slli_epi32(g, 8), _mm256_slli_epi32(b, 16)));
  }
}

template <AnaglyphMethod M>
VESK_AVX2_BYTES inline int AnaglyphRowAvx2As(const std::uint8_t* left, const std::int32_t* leftOffsets,
                                             const std::uint8_t* right, const std::int32_t* rightOffsets, int count,
                                             std::uint8_t* to) {
  int i = 0;
  for (; i + 8 <= count; i += 8, to += 24) {
    __m256i keep = _mm256_set1_epi32(-1);
    const __m256i leftPixels = EyePixels256(left, leftOffsets, i, keep);
    const __m256i rightPixels = EyePixels256(right, rightOffsets, i, keep);
    StorePixels256(to, Compose256<M>(leftPixels, rightPixels), keep);
  }
  return i;
}

VESK_AVX2_BYTES int AnaglyphRowAvx2(AnaglyphMethod method, const std::uint8_t* left, const std::int32_t* leftOffsets,
                                    const std::uint8_t* right, const std::int32_t* rightOffsets, int count,
                                    std::uint8_t* to) {
  switch (method) {
    case AnaglyphMethod::RedGreen:
      return AnaglyphRowAvx2As<AnaglyphMethod::RedGreen>(left, leftOffsets, right, rightOffsets, count, to);
    case AnaglyphMethod::RedBlue:
      return AnaglyphRowAvx2As<AnaglyphMethod::RedBlue>(left, leftOffsets, right, rightOffsets, count, to);
    case AnaglyphMethod::RedCyan:
      return AnaglyphRowAvx2As<AnaglyphMethod::RedCyan>(left, leftOffsets, right, rightOffsets, count, to);
    case AnaglyphMethod::RedCyanColour:
      return AnaglyphRowAvx2As<AnaglyphMethod::RedCyanColour>(left, leftOffsets, right, rightOffsets, count, to);
    case AnaglyphMethod::RedCyanHalfColour:
      return AnaglyphRowAvx2As<AnaglyphMethod::RedCyanHalfColour>(left, leftOffsets, right, rightOffsets, count, to);
    case AnaglyphMethod::RedCyanOptimised:
      return AnaglyphRowAvx2As<AnaglyphMethod::RedCyanOptimised>(left, leftOffsets, right, rightOffsets, count, to);
  }
  return 0;
}

VESK_AVX2_BYTES void ScatterRow16Avx2(const std::int32_t* targets, const std::uint8_t* colours, std::uint16_t* writers,
                                      std::uint16_t firstWriter, int count, std::uint8_t* result) {
  const __m256i lanes = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
  const __m256i writerLanes = _mm256_setr_epi16(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
  int i = 0;
  for (; i + 16 <= count; i += 16) {
    const std::int32_t first = targets[i];
    const __m256i expected = _mm256_add_epi32(_mm256_set1_epi32(first), lanes);
    const __m256i same = _mm256_and_si256(
        _mm256_cmpeq_epi32(Load256(targets + i), expected),
        _mm256_cmpeq_epi32(Load256(targets + i + 8), _mm256_add_epi32(expected, _mm256_set1_epi32(8))));
    if (first >= 0 && _mm256_movemask_epi8(same) == -1) {
      // Sixteen different pixels one after the other: each sample meets only
      // the writers of earlier rows. Where all of them go (the usual case)
      // they are stored at once, otherwise one by one below.
      const __m256i writer = _mm256_add_epi16(_mm256_set1_epi16(static_cast<short>(firstWriter + i)), writerLanes);
      std::uint16_t* at = writers + first;
      const __m256i earlier = Load256(at);
      if (_mm256_movemask_epi8(_mm256_cmpeq_epi16(_mm256_max_epu16(writer, earlier), writer)) == -1) {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(at), writer);
        std::uint8_t* to = result + 3 * static_cast<std::ptrdiff_t>(first);
        const std::uint8_t* from = colours + 3 * i;
        for (int k = 0; k < 48; k += 16)
          _mm_storeu_si128(reinterpret_cast<__m128i*>(to + k),
                           _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + k)));
        continue;
      }
    }
    ScatterOneByOne(targets, colours, writers, firstWriter, i, i + 16, result);
  }
  ScatterOneByOne(targets, colours, writers, firstWriter, i, count, result);
}

}  // namespace

const Kernels* KernelsFor(InstructionSet set) {
  static const Kernels baseline{MapRowOffsetsSse2, MapPointOffsetsSse2, nullptr, nullptr};
  static const Kernels avx2{MapRowOffsetsAvx2, MapPointOffsetsAvx2, AnaglyphRowAvx2, ScatterRow16Avx2};
  static const bool byteInstructions = __builtin_cpu_supports("avx512vbmi");
  static const Kernels avx512{MapRowOffsetsAvx512, MapPointOffsetsAvx512,
                              byteInstructions ? AnaglyphRowAvx512 : nullptr,
                              byteInstructions ? ScatterRow16Avx512 : nullptr};
  switch (set) {
    case InstructionSet::Baseline:
      return &baseline;
    case InstructionSet::Avx2:
      return __builtin_cpu_supports("avx2") ? &avx2 : nullptr;
    case InstructionSet::Avx512:
      return (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") &&
              __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512bw"))
                 ? &avx512
                 : nullptr;
  }
  return nullptr;
}

const Kernels& FastestKernels() {
  for (const InstructionSet set : {InstructionSet::Avx512, InstructionSet::Avx2})
    if (const Kernels* kernels = KernelsFor(set)) return *kernels;
  return *KernelsFor(InstructionSet::Baseline);
}

}  // namespace vesk::render_detail
