#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "estimation/LeastSquares.h"
#include "estimation/TransformCoefficients.h"
#include "model/VT_Point.h"
#include "model/VT_Points.h"
#include "render/RgbImage.h"

namespace vesk::test {

// Plane projective transformations as row-major 3 x 3 matrices on (x, y, 1),
// points in photograph pixels with (0, 0) at the top-left corner.
using Matrix3 = std::array<double, 9>;

inline Matrix3 Multiply(const Matrix3& a, const Matrix3& b) {
  Matrix3 c{};
  for (int r = 0; r < 3; ++r)
    for (int k = 0; k < 3; ++k)
      for (int q = 0; q < 3; ++q) c[r * 3 + k] += a[r * 3 + q] * b[q * 3 + k];
  return c;
}

inline Matrix3 Inverse(const Matrix3& m) {
  const double a = m[0], b = m[1], c = m[2], d = m[3], e = m[4], f = m[5], g = m[6], h = m[7], i = m[8];
  const double det = a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g);
  return {(e * i - f * h) / det, (c * h - b * i) / det, (b * f - c * e) / det,
          (f * g - d * i) / det, (a * i - c * g) / det, (c * d - a * f) / det,
          (d * h - e * g) / det, (b * g - a * h) / det, (a * e - b * d) / det};
}

struct Point2 {
  double X = 0;
  double Y = 0;
};

inline Point2 Map(const Matrix3& m, double x, double y) {
  const double w = m[6] * x + m[7] * y + m[8];
  return {(m[0] * x + m[1] * y + m[2]) / w, (m[3] * x + m[4] * y + m[5]) / w};
}

// The second photograph of a synthetic pair: the first seen turned by
// `degrees`, scaled by `scale`, tilted by `tiltX`/`tiltY` (perspective: the
// denominator's coefficients per pixel from the centre), centred in a frame
// of `width` x `height`.
inline Matrix3 ViewChange(int sourceWidth, int sourceHeight, double degrees, double scale, double tiltX, double tiltY,
                          int width, int height) {
  const double angle = degrees * 3.14159265358979323846 / 180;
  const Matrix3 toCentre{1, 0, -sourceWidth / 2.0, 0, 1, -sourceHeight / 2.0, 0, 0, 1};
  const Matrix3 view{scale * std::cos(angle),
                     -scale * std::sin(angle),
                     0,
                     scale * std::sin(angle),
                     scale * std::cos(angle),
                     0,
                     tiltX,
                     tiltY,
                     1};
  const Matrix3 fromCentre{1, 0, width / 2.0, 0, 1, height / 2.0, 0, 0, 1};
  return Multiply(fromCentre, Multiply(view, toCentre));
}

// `source` carried through `toWarped` into a new `width` x `height` picture,
// its colours changed to gain x value + offset (an exposure change). Each
// pixel averages enough samples of the source that shrinking does not alias;
// what falls outside the source is black.
inline RgbImage WarpPhoto(const RgbImage& source, const Matrix3& toWarped, int width, int height, double gain = 1,
                          double offset = 0) {
  const Matrix3 back = Inverse(toWarped);
  RgbImage out(width, height, kBlack);
  // Samples per pixel side: the source pixels one warped pixel covers.
  const Point2 c = Map(back, width / 2.0, height / 2.0);
  const Point2 cx = Map(back, width / 2.0 + 1, height / 2.0);
  const int samples = std::clamp(static_cast<int>(std::ceil(std::hypot(cx.X - c.X, cx.Y - c.Y))), 1, 8);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      double sum[3] = {0, 0, 0};
      int taken = 0;
      for (int sy = 0; sy < samples; ++sy)
        for (int sx = 0; sx < samples; ++sx) {
          const Point2 p = Map(back, x + (sx + 0.5) / samples, y + (sy + 0.5) / samples);
          const double u = p.X - 0.5, v = p.Y - 0.5;
          if (!(u >= 0 && v >= 0 && u <= source.Width() - 1 && v <= source.Height() - 1)) continue;
          const int x0 = std::min(static_cast<int>(u), source.Width() - 2);
          const int y0 = std::min(static_cast<int>(v), source.Height() - 2);
          const double fx = u - x0, fy = v - y0;
          const Rgb p00 = source.Pixel(x0, y0), p10 = source.Pixel(x0 + 1, y0);
          const Rgb p01 = source.Pixel(x0, y0 + 1), p11 = source.Pixel(x0 + 1, y0 + 1);
          const auto blend = [&](std::uint8_t a, std::uint8_t b, std::uint8_t d, std::uint8_t e) {
            return (a * (1 - fx) + b * fx) * (1 - fy) + (d * (1 - fx) + e * fx) * fy;
          };
          sum[0] += blend(p00.R, p10.R, p01.R, p11.R);
          sum[1] += blend(p00.G, p10.G, p01.G, p11.G);
          sum[2] += blend(p00.B, p10.B, p01.B, p11.B);
          ++taken;
        }
      if (taken < samples * samples) continue;
      std::uint8_t channel[3];
      for (int k = 0; k < 3; ++k)
        channel[k] = static_cast<std::uint8_t>(std::lround(std::clamp(gain * sum[k] / taken + offset, 0.0, 255.0)));
      out.SetPixel(x, y, Rgb{channel[0], channel[1], channel[2]});
    }
  return out;
}

// How far a transformation fitted from found points lies from the truth
// over the overlap, in the target photograph's pixels.
struct FitError {
  bool Fitted = false;
  double Mean = 0;
  double Max = 0;
};

// Fits source -> target by the core's least squares (as the workspace would
// from the found points) and compares it with `truth` at every `step`-th
// pixel centre of the source photograph that `truth` carries inside the
// target photograph.
inline FitError CompareFitWithTruth(const std::vector<VT_Point>& source, const std::vector<VT_Point>& target,
                                    const Matrix3& truth, int sourceWidth, int sourceHeight, int targetWidth,
                                    int targetHeight, int step = 1) {
  FitError error;
  VT_Points from(kOwnsItems), to(kOwnsItems);
  for (std::size_t i = 0; i < source.size() && i < target.size(); ++i) {
    from.Add(new VT_Point(source[i].X, source[i].Y));
    to.Add(new VT_Point(target[i].X, target[i].Y));
  }
  TransformCoefficients fitted(kOwnsItems);
  if (!FitLeastSquares(from, to, fitted)) return error;
  const CoefficientArray c = *CoefficientValues(fitted);
  double sum = 0;
  long count = 0;
  for (int y = 0; y < sourceHeight; y += step)
    for (int x = 0; x < sourceWidth; x += step) {
      const Point2 expected = Map(truth, x + 0.5, y + 0.5);
      if (!(expected.X >= 0 && expected.Y >= 0 && expected.X <= targetWidth && expected.Y <= targetHeight)) continue;
      const MappedPoint got = MapThrough(c, x + 0.5, y + 0.5);
      const double distance = std::hypot(got.X - expected.X, got.Y - expected.Y);
      sum += distance;
      error.Max = std::max(error.Max, distance);
      ++count;
    }
  error.Fitted = count > 0;
  error.Mean = count > 0 ? sum / count : 0;
  return error;
}

}  // namespace vesk::test
