#include "files/OrientationRecords.h"

#include <string>

#include "common/VeskError.h"

namespace vesk {
namespace {

using Field = double ShootingGeometry::*;

constexpr Field kFields[ShootingGeometry::kValueCount] = {
    &ShootingGeometry::ProjectionCentreX,
    &ShootingGeometry::ProjectionCentreY,
    &ShootingGeometry::ProjectionCentreZ,
    &ShootingGeometry::SightingPointX,
    &ShootingGeometry::SightingPointY,
    &ShootingGeometry::SightingDistance,
    &ShootingGeometry::LongitudinalAngle,
    &ShootingGeometry::TransverseAngle,
    &ShootingGeometry::ImageRotationAngle,
    &ShootingGeometry::VerticalAxisAngle,
    &ShootingGeometry::HorizontalAxisAngle,
    &ShootingGeometry::StandImageRotationAngle,
    &ShootingGeometry::axx,
    &ShootingGeometry::axy,
    &ShootingGeometry::axz,
    &ShootingGeometry::ayx,
    &ShootingGeometry::ayy,
    &ShootingGeometry::ayz,
    &ShootingGeometry::azx,
    &ShootingGeometry::azy,
    &ShootingGeometry::azz,
};

Field FieldAt(int index) {
  if (index < 0 || index >= ShootingGeometry::kValueCount)
    throw VeskError("Index out of bounds ShootingGeometry: " + std::to_string(index));
  return kFields[index];
}

}  // namespace

double& ShootingGeometry::operator[](int index) { return this->*FieldAt(index); }

double ShootingGeometry::operator[](int index) const { return this->*FieldAt(index); }

}  // namespace vesk
