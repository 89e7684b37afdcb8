#pragma once

// orientation/: the camera model and exterior orientation, and the
// transformations a build derives from calibration and shooting geometry.
// Includes common/, model/, files/ (its records and their readers) and the
// standard library.

#include <array>

#include "files/OrientationRecords.h"

namespace vesk {

// Where a photograph's rotation matrix comes from.
enum class CoordinateConvention : int {
  Laboratory = 1,       // the stand angles
  Photogrammetric = 2,  // the photogrammetric angles
  Mathematical = 3,     // the nine matrix elements of the file (the default)
};

// A 3 x 3 matrix, row-major m0 ... m8, acting on column vectors.
using Matrix3x3 = std::array<double, 9>;

// The text every failure of the orientation computation ends in.
inline constexpr const char* kOrientationFailureMessage = "Внутренняя ошибка! Проверьте входные данные.";

// Rows stand for the scene axes X, Y, Z, columns for the camera axes u, v, w.
// Photogrammetric: Ry(-A) Rx(B) Rz(C); laboratory: Rx(-B) Ry(-A) Rz(-C);
// mathematical: the file's matrix as it stands, not made orthonormal.
Matrix3x3 RotationMatrix(CoordinateConvention convention, const ShootingGeometry& shooting);

// The homography from the scene plane Z = 0 to the photograph's image plane,
// normalised so that h8 = 1. Raises VeskError when the projection has no
// finite normalisation (p34 = 0).
Matrix3x3 SceneToImage(CoordinateConvention convention, const CameraGeometry& camera, const ShootingGeometry& shooting);

// The inverse by the adjugate over the determinant, not normalised. Raises
// VeskError for a singular matrix or a result that is not finite.
Matrix3x3 Inverse3x3(const Matrix3x3& m);

// C = A B.
Matrix3x3 Multiply3x3(const Matrix3x3& a, const Matrix3x3& b);

// Every element divided by m8 (the last one last). Raises VeskError when m8
// is zero or the result is not finite.
Matrix3x3 NormaliseByLast(const Matrix3x3& m);

// The matrix as the eight coefficients of a fitted transformation, in the
// order a0, a1, a2, c0, c1, b0, b1, b2 = m0, m1, m2, m6, m7, m3, m4, m5
// divided by m8.
std::array<double, 8> HandOverCoefficients(const Matrix3x3& m);

}  // namespace vesk
