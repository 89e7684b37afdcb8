#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "render/RgbImage.h"

namespace vesk {

// How an anaglyph turns the two samples of a point into one colour. L is the
// sample for the eye behind the red filter, R the other eye's; grey(s) is the
// grey level (r + g + b) div 3, and a read outside its photograph counts as
// white.
enum class AnaglyphMethod : int {
  RedGreen = 0,           // grey L, grey R, 0
  RedBlue = 1,            // grey L, 0, grey R
  RedCyan = 2,            // grey L, grey R, grey R
  RedCyanColour = 3,      // L.r, R.g, R.b
  RedCyanHalfColour = 4,  // grey L, R.g, R.b
  RedCyanOptimised = 5,   // least-squares projection for red-cyan filters (Dubois), see kDuboisRedCyan
};

// The method of a build and which photograph the red filter shows: by
// default the second one (L) and the first (R); swapped, the other way round.
struct AnaglyphChoice {
  AnaglyphMethod Method = AnaglyphMethod::RedGreen;
  bool SwapEyes = false;
  friend bool operator==(const AnaglyphChoice&, const AnaglyphChoice&) = default;
};

struct AnaglyphMethodInfo {
  AnaglyphMethod Method;
  const char* MenuText;  // the menu item
  const char* Name;      // vesk-cli's --anaglyph name
};

// Every method in menu order.
const std::array<AnaglyphMethodInfo, 6>& AnaglyphMethods();
// Whether a code names one of the methods.
bool IsValidAnaglyphMethod(int code);
// The method vesk-cli calls `name`; nothing for an unknown name.
std::optional<AnaglyphMethod> AnaglyphMethodNamed(std::string_view name);
// vesk-cli's names of every method in menu order, joined by ", ".
const char* AnaglyphMethodNames();

// The menu item that puts the first photograph behind the red filter.
inline constexpr const char* kSwapEyesMenuText = "Поменять местами";

// The optimised red-cyan method: each channel is the six products of its row
// with (L.r, L.g, L.b, R.r, R.g, R.b), summed as integers, divided by 1000
// rounding half away from zero and clamped to 0..255.
inline constexpr std::int32_t kDuboisRedCyan[3][6] = {
    {437, 449, 164, -11, -32, -7},
    {-62, -62, -24, 377, 761, 9},
    {-48, -50, -17, -26, -93, 1234},
};

// One channel of the optimised method from its sum of products. A negative
// sum rounds to zero or below and so clamps to 0 whatever its size, which
// lets the rounding be a plain floor of the sum plus one half.
constexpr std::uint8_t DuboisChannel(std::int32_t sum) {
  const std::int32_t shifted = sum + 500;
  if (shifted <= 0) return 0;
  const std::int32_t level = shifted / 1000;
  return static_cast<std::uint8_t>(level > 255 ? 255 : level);
}

// The colour of `method` for one point from the left eye's sample (behind
// the red filter) and the right eye's, pixel by pixel.
Rgb AnaglyphColour(AnaglyphMethod method, Rgb left, Rgb right);

}  // namespace vesk
