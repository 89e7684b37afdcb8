#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace vesk {

// How the two eyes' views of an anaglyph build make the result. The left eye
// is the one behind the anaglyph's red filter (the second photograph, the
// first with the eyes swapped); the right eye is the other.
enum class StereoFormat : int {
  Anaglyph = 0,           // one picture in the anaglyph's colours
  SideBySide = 1,         // left view | right view, for parallel viewing
  SideBySideCrossed = 2,  // right view | left view, for cross-eyed viewing
  OverUnder = 3,          // left view above the right view
  SideBySideHalf = 4,     // both views squeezed to half width in one frame, for 3D televisions
};

struct StereoFormatInfo {
  StereoFormat Format;
  const char* MenuText;  // the menu item
  const char* Name;      // vesk-cli's --stereo-format name
};

// Every format in menu order.
const std::array<StereoFormatInfo, 5>& StereoFormats();
bool IsValidStereoFormat(int code);
// The format vesk-cli calls `name`; nothing for an unknown name.
std::optional<StereoFormat> StereoFormatNamed(std::string_view name);
// vesk-cli's names of every format in menu order, joined by ", ".
const char* StereoFormatNames();

// What an anaglyph build makes of its two views besides the colours. The
// default changes nothing: the build's result is the anaglyph as it always
// was, byte for byte.
struct StereoChoice {
  StereoFormat Format = StereoFormat::Anaglyph;
  // Result pixels the right eye's view moves to the right (to the left when
  // negative) against the left eye's: the stereo window. A positive shift
  // adds to every point's parallax, so the scene moves back behind the frame.
  int Shift = 0;
  // Keep only the largest rectangle where both eyes see their photographs.
  bool CropCommon = false;
  bool IsDefault() const { return Format == StereoFormat::Anaglyph && Shift == 0 && !CropCommon; }
  friend bool operator==(const StereoChoice&, const StereoChoice&) = default;
};

}  // namespace vesk
