#include "render/RenderRequest.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "common/VeskError.h"
#include "model/BuildModeTraits.h"
#include "render/AreaWalk.h"
#include "render/RenderMessages.h"

namespace vesk {

JobTransform JobTransformFromStored(const std::array<double, 8>& stored) {
  return JobTransform{{stored[0], stored[1], stored[2], stored[5], stored[6], stored[7], stored[3], stored[4]}};
}

JobTransform JobTransformFromList(const VT_Points& coefficients) {
  std::array<double, 8> stored{};
  for (int i = 0; i < 8; ++i) stored[static_cast<std::size_t>(i)] = coefficients.Get(i)->X;
  return JobTransformFromStored(stored);
}

RenderRequest MakeRenderRequest(const VT_Points& list1, const VT_Points& list2, BuildMode mode, const BuildArea& area,
                                const ImagePlane& plane1, const ImagePlane& plane2, Origin origin,
                                AnaglyphChoice anaglyph) {
  RenderRequest request;
  request.Mode = mode;
  request.From = origin;
  request.Transform1 = JobTransformFromList(list1);
  const BuildModeTraits* traits = FindTraits(static_cast<int>(mode));
  if (traits != nullptr && traits->Plan.Second) request.Transform2 = JobTransformFromList(list2);
  request.Area = area;
  request.Plane1 = plane1;
  request.Plane2 = plane2;
  request.Anaglyph = anaglyph;
  return request;
}

namespace {

// Photographs are addressed with 32-bit byte offsets.
constexpr double kMaxImageBytes = static_cast<double>(std::numeric_limits<std::int32_t>::max());

bool FitsInBytes(double width, double height) { return width * height * 3.0 <= kMaxImageBytes; }

// Number of whole steps in |extent|.
double StepCount(double low, double high, double step) { return std::trunc(std::fabs(high - low) / step); }

void ValidatePhotograph(PictureSize size) {
  if (size.Width <= 0 || size.Height <= 0) throw VeskError(kPhotographEmpty);
  if (!FitsInBytes(size.Width, size.Height)) throw VeskError(kPhotographTooLarge);
}

void ValidateArea(const BuildArea& area) {
  if (!std::isfinite(area.XMin) || !std::isfinite(area.XMax) || !std::isfinite(area.YMin) ||
      !std::isfinite(area.YMax) || !std::isfinite(std::fabs(area.XMax - area.XMin)) ||
      !std::isfinite(std::fabs(area.YMax - area.YMin)))
    throw VeskError(kAreaBoundsWrong);
  // A reversed area would walk no sample and give a white picture.
  if (const auto axis = ReversedAreaAxis(area)) throw VeskError(*axis == 'x' ? kAreaXReversed : kAreaYReversed);
  if (!std::isfinite(area.Step) || !(area.Step > 0)) throw VeskError(kAreaStepNotPositive);
  const double columns = StepCount(area.XMin, area.XMax, area.Step);
  const double rows = StepCount(area.YMin, area.YMax, area.Step);
  if (columns < 1 || rows < 1) throw VeskError(kAreaSmallerThanStep);
  if (!(columns <= kMaxImageBytes) || !(rows <= kMaxImageBytes) || !FitsInBytes(columns, rows))
    throw VeskError(kAreaTooLarge);
  // The walk adds the step again and again; where the bounds are so large
  // that adding it barely moves the position, the walk would not end.
  if (!WalkLength(area.XMin, area.XMax, area.Step, static_cast<std::int64_t>(columns)) ||
      !WalkLength(area.YMin, area.YMax, area.Step, static_cast<std::int64_t>(rows)))
    throw VeskError(kAreaStepTooFine);
}

}  // namespace

std::optional<char> ReversedAreaAxis(const BuildArea& area) {
  if (!(area.XMin < area.XMax)) return 'x';
  if (!(area.YMin < area.YMax)) return 'y';
  return std::nullopt;
}

PictureSize ResultSize(const RenderRequest& request, PictureSize photo1, PictureSize photo2) {
  const BuildModeTraits* traits = FindTraits(static_cast<int>(request.Mode));
  if (traits == nullptr) return PictureSize{};
  switch (traits->Frame) {
    case Grid::FirstPhoto:
      return photo1;
    case Grid::SecondPhoto:
      return photo2;
    case Grid::BuildArea:
      break;
  }
  const BuildArea& area = request.Area;
  return PictureSize{static_cast<int>(StepCount(area.XMin, area.XMax, area.Step)),
                     static_cast<int>(StepCount(area.YMin, area.YMax, area.Step))};
}

void ValidateRenderRequest(const RenderRequest& request, PictureSize photo1, PictureSize photo2) {
  if (request.From != Origin::FromReferencePoints && request.From != Origin::FromOrientation)
    throw VeskError(kOriginUnknown);
  if (!IsValidAnaglyphMethod(static_cast<int>(request.Anaglyph.Method))) throw VeskError(kAnaglyphMethodUnknown);
  const BuildModeTraits* traits = FindTraits(static_cast<int>(request.Mode));
  if (traits == nullptr) return;
  if (!FitsInBytes(photo1.Width, photo1.Height) || !FitsInBytes(photo2.Width, photo2.Height))
    throw VeskError(kPhotographTooLarge);
  if (traits->BuildArea) {
    ValidateArea(request.Area);
    return;
  }
  // The walked photograph and the frame written into must both have pixels.
  ValidatePhotograph(traits->Walked == Grid::FirstPhoto ? photo1 : photo2);
  ValidatePhotograph(ResultSize(request, photo1, photo2));
}

}  // namespace vesk
