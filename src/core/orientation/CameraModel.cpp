#include "orientation/CameraModel.h"

#include <cmath>

#include "common/VeskError.h"

namespace vesk {
namespace {

[[noreturn]] void Fail() { throw VeskError(kOrientationFailureMessage); }

// Arithmetic does not trap here, so every result is checked instead.
template <std::size_t N>
const std::array<double, N>& Finite(const std::array<double, N>& values) {
  for (const double value : values)
    if (!std::isfinite(value)) Fail();
  return values;
}

Matrix3x3 Photogrammetric(double a, double b, double c) {
  const double sA = std::sin(a), cA = std::cos(a);
  const double sB = std::sin(b), cB = std::cos(b);
  const double sC = std::sin(c), cC = std::cos(c);
  return {cA * cC - sA * sB * sC,
          -cA * sC - sA * sB * cC,
          -sA * cB,  //
          cB * sC,
          cB * cC,
          -sB,  //
          sA * cC + cA * sB * sC,
          -sA * sC + cA * sB * cC,
          cA * cB};
}

Matrix3x3 Laboratory(double a, double b, double c) {
  const double sA = std::sin(a), cA = std::cos(a);
  const double sB = std::sin(b), cB = std::cos(b);
  const double sC = std::sin(c), cC = std::cos(c);
  return {cA * cC,
          cA * sC,
          -sA,  //
          -cB * sC + sA * sB * cC,
          cB * cC + sA * sB * sC,
          cA * sB,  //
          sB * sC + sA * cB * cC,
          -sB * cC + sA * cB * sC,
          cA * cB};
}

}  // namespace

Matrix3x3 RotationMatrix(CoordinateConvention convention, const ShootingGeometry& s) {
  switch (convention) {
    case CoordinateConvention::Photogrammetric:
      return Photogrammetric(s.LongitudinalAngle, s.TransverseAngle, s.ImageRotationAngle);
    case CoordinateConvention::Laboratory:
      return Laboratory(s.VerticalAxisAngle, s.HorizontalAxisAngle, s.StandImageRotationAngle);
    case CoordinateConvention::Mathematical:
      return {s.axx, s.axy, s.axz, s.ayx, s.ayy, s.ayz, s.azx, s.azy, s.azz};
  }
  Fail();
}

Matrix3x3 SceneToImage(CoordinateConvention convention, const CameraGeometry& camera,
                       const ShootingGeometry& shooting) {
  const Matrix3x3 r = RotationMatrix(convention, shooting);
  const double r11 = r[0], r12 = r[1], r13 = r[2];
  const double r21 = r[3], r22 = r[4], r23 = r[5];
  const double f = camera.FocalLength;
  const double xs = shooting.SightingPointX;
  const double ys = shooting.SightingPointY;
  const double d = shooting.SightingDistance;

  // The 3 x 4 collinearity matrix without its Z column, divided by p34.
  const double p34 = -(r13 * xs + r23 * ys) - d;
  if (p34 == 0 || !std::isfinite(p34)) Fail();
  const Matrix3x3 h = {-f * r11 / p34, -f * r21 / p34, f * (r11 * xs + r21 * ys) / p34,  //
                       -f * r12 / p34, -f * r22 / p34, f * (r12 * xs + r22 * ys) / p34,  //
                       r13 / p34,      r23 / p34,      1};
  return Finite(h);
}

Matrix3x3 Inverse3x3(const Matrix3x3& m) {
  const double det =
      (m[4] * m[8] - m[7] * m[5]) * m[0] - (m[8] * m[3] - m[5] * m[6]) * m[1] + (m[7] * m[3] - m[4] * m[6]) * m[2];
  if (det == 0 || !std::isfinite(det)) Fail();
  const Matrix3x3 inverse = {
      (m[4] * m[8] - m[7] * m[5]) / det,  -(m[1] * m[8] - m[7] * m[2]) / det, (m[1] * m[5] - m[2] * m[4]) / det,
      -(m[3] * m[8] - m[5] * m[6]) / det, (m[0] * m[8] - m[6] * m[2]) / det,  -(m[0] * m[5] - m[3] * m[2]) / det,
      (m[3] * m[7] - m[6] * m[4]) / det,  -(m[0] * m[7] - m[1] * m[6]) / det, (m[0] * m[4] - m[3] * m[1]) / det};
  return Finite(inverse);
}

Matrix3x3 Multiply3x3(const Matrix3x3& a, const Matrix3x3& b) {
  Matrix3x3 c{};
  for (int row = 0; row < 3; ++row)
    for (int column = 0; column < 3; ++column)
      c[3 * row + column] = a[3 * row] * b[column] + a[3 * row + 1] * b[3 + column] + a[3 * row + 2] * b[6 + column];
  return c;
}

Matrix3x3 NormaliseByLast(const Matrix3x3& m) {
  const double last = m[8];
  if (last == 0) Fail();
  Matrix3x3 normalised{};
  for (std::size_t i = 0; i < 9; ++i) normalised[i] = m[i] / last;
  return Finite(normalised);
}

std::array<double, 8> HandOverCoefficients(const Matrix3x3& m) {
  const Matrix3x3 n = NormaliseByLast(m);
  return {n[0], n[1], n[2], n[6], n[7], n[3], n[4], n[5]};
}

}  // namespace vesk
