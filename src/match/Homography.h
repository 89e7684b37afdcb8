#pragma once

#include <opencv2/core.hpp>

namespace vesk::match {

// A plane projective transformation as a 3 x 3 matrix acting on (x, y, 1).
using Homography = cv::Matx33d;

// (x, y) carried through `h`; a point on the horizon line comes back as NaN.
cv::Point2d MapPoint(const Homography& h, cv::Point2d p);

// How much `h` enlarges areas at `p`: the square root of its Jacobian's
// determinant (negative when it mirrors there).
double LocalScale(const Homography& h, cv::Point2d p);

// Whether `h` can relate two photographs of one scene over the first
// photograph's frame (width1 x height1): no point of the frame on the horizon
// line, no mirroring, and areas scaled by no more than a factor of 16 either
// way. A transformation fitted to chance matches usually fails this.
bool IsPlausible(const Homography& h, int width1, int height1);

}  // namespace vesk::match
