#include "render/StereoFormat.h"

#include <string>

namespace vesk {

const std::array<StereoFormatInfo, 5>& StereoFormats() {
  static const std::array<StereoFormatInfo, 5> kFormats = {{
      {StereoFormat::Anaglyph, "Анаглиф", "anaglyph"},
      {StereoFormat::SideBySide, "Рядом для параллельного просмотра", "side-by-side"},
      {StereoFormat::SideBySideCrossed, "Рядом для перекрёстного просмотра", "side-by-side-crossed"},
      {StereoFormat::OverUnder, "Один над другим", "over-under"},
      {StereoFormat::SideBySideHalf, "Рядом со сжатием по ширине (3D-телевизор)", "side-by-side-half"},
  }};
  return kFormats;
}

bool IsValidStereoFormat(int code) {
  return code >= static_cast<int>(StereoFormat::Anaglyph) && code <= static_cast<int>(StereoFormat::SideBySideHalf);
}

std::optional<StereoFormat> StereoFormatNamed(std::string_view name) {
  for (const StereoFormatInfo& info : StereoFormats())
    if (name == info.Name) return info.Format;
  return std::nullopt;
}

const char* StereoFormatNames() {
  static const std::string kNames = [] {
    std::string names;
    for (const StereoFormatInfo& info : StereoFormats()) names += (names.empty() ? "" : ", ") + std::string(info.Name);
    return names;
  }();
  return kNames.c_str();
}

}  // namespace vesk
