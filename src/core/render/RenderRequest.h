#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "model/BuildMode.h"
#include "model/VT_Points.h"
#include "render/AnaglyphMethod.h"
#include "render/Origin.h"
#include "render/StereoFormat.h"

namespace vesk {

// A plane projective map in the order the rendering job keeps it:
// a0, a1, a2, b0, b1, b2, c0, c1 of
//   X = (a0 x + a1 y + a2) / (c0 x + c1 y + 1), Y = (b0 x + b1 y + b2) / (c0 x + c1 y + 1).
struct JobTransform {
  std::array<double, 8> T{};
  double A0() const { return T[0]; }
  double A1() const { return T[1]; }
  double A2() const { return T[2]; }
  double B0() const { return T[3]; }
  double B1() const { return T[4]; }
  double B2() const { return T[5]; }
  double C0() const { return T[6]; }
  double C1() const { return T[7]; }
};

// From the stored order a0, a1, a2, c0, c1, b0, b1, b2 (positions 0..7).
JobTransform JobTransformFromStored(const std::array<double, 8>& stored);
// From a coefficient list (the X of its first eight points); a shorter list
// raises the list's "Index out of bounds ListOfT::Get".
JobTransform JobTransformFromList(const VT_Points& coefficients);

// One image-plane frame of a photograph (orientation jobs): its centre and the
// vertical scale divisor. Reference-point jobs carry 0, 0, 1.
struct ImagePlane {
  double CentreX = 0;
  double CentreY = 0;
  double CorrectionValue = 1.0;
};

struct BuildArea {
  double XMin = 0;
  double XMax = 0;
  double YMin = 0;
  double YMax = 0;
  double Step = 0;
};

// 'x' or 'y' when that axis's minimum is not below its maximum (the first
// such axis); nothing when both are in order. Such an area is refused.
std::optional<char> ReversedAreaAxis(const BuildArea& area);

// Everything a rendering job needs besides the two photographs.
struct RenderRequest {
  BuildMode Mode = BuildMode::SecondToFirst;  // a code outside the list renders an empty result
  Origin From = Origin::FromReferencePoints;
  JobTransform Transform1;
  JobTransform Transform2;  // used by modes 6 and 11 only
  ImagePlane Plane1;
  ImagePlane Plane2;
  BuildArea Area;  // used by modes 9, 10 and 11 only
  // How the anaglyph modes (2, 3, 6 and 11) colour a point; the other modes
  // ignore it, so a workspace may keep one choice for all its builds.
  AnaglyphChoice Anaglyph;
  // The stereo window, the crop and the layout of an anaglyph build's two
  // views. RenderBuild makes the plain anaglyph and ignores them;
  // RenderStereoBuild applies them (StereoBuild.h).
  StereoChoice Stereo;
};

// The request of a rendering job made the way the workspaces make one: the
// two coefficient lists in stored order (the second is read only by modes 6
// and 11, and may be empty otherwise), the build mode, the build area, the
// image planes of both photographs (reference-point jobs pass the default
// 0, 0, 1), the origin and the anaglyph's colours. A list with fewer than eight points raises the
// list's "Index out of bounds ListOfT::Get".
RenderRequest MakeRenderRequest(const VT_Points& list1, const VT_Points& list2, BuildMode mode, const BuildArea& area,
                                const ImagePlane& plane1, const ImagePlane& plane2, Origin origin,
                                AnaglyphChoice anaglyph = {});

struct PictureSize {
  int Width = 0;
  int Height = 0;
};

// Size of the result of `request` for photographs of the given sizes: the
// frame of the mode's traits, the build area's trunc(|extent| / step).
// Call after ValidateRenderRequest.
PictureSize ResultSize(const RenderRequest& request, PictureSize photo1, PictureSize photo2);

// Refuses, with a VeskError carrying the user's message, a request whose
// result, buffers or walk would be undefined: an empty or oversized
// photograph, a build-area step or bound that is not a finite number or not
// positive, an area smaller than one step, a result too large to allocate, a
// step too fine for the bounds to be walked, an unknown origin or anaglyph
// method. A mode outside 0..11 passes.
void ValidateRenderRequest(const RenderRequest& request, PictureSize photo1, PictureSize photo2);

}  // namespace vesk
