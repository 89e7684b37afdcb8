#include "render/AnaglyphMethod.h"

#include <string>

namespace vesk {

const std::array<AnaglyphMethodInfo, 6>& AnaglyphMethods() {
  static const std::array<AnaglyphMethodInfo, 6> kMethods = {{
      {AnaglyphMethod::RedGreen, "Красно-зелёный", "red-green"},
      {AnaglyphMethod::RedBlue, "Красно-синий", "red-blue"},
      {AnaglyphMethod::RedCyan, "Красно-голубой", "red-cyan"},
      {AnaglyphMethod::RedCyanColour, "Красно-голубой цветной", "red-cyan-colour"},
      {AnaglyphMethod::RedCyanHalfColour, "Красно-голубой полуцветной", "red-cyan-half-colour"},
      {AnaglyphMethod::RedCyanOptimised, "Красно-голубой оптимизированный", "red-cyan-optimised"},
  }};
  return kMethods;
}

bool IsValidAnaglyphMethod(int code) {
  return code >= static_cast<int>(AnaglyphMethod::RedGreen) &&
         code <= static_cast<int>(AnaglyphMethod::RedCyanOptimised);
}

std::optional<AnaglyphMethod> AnaglyphMethodNamed(std::string_view name) {
  for (const AnaglyphMethodInfo& info : AnaglyphMethods())
    if (name == info.Name) return info.Method;
  return std::nullopt;
}

const char* AnaglyphMethodNames() {
  static const std::string kNames = [] {
    std::string names;
    for (const AnaglyphMethodInfo& info : AnaglyphMethods())
      names += (names.empty() ? "" : ", ") + std::string(info.Name);
    return names;
  }();
  return kNames.c_str();
}

namespace {

std::uint8_t DuboisOf(const std::int32_t (&row)[6], Rgb left, Rgb right) {
  return DuboisChannel(row[0] * left.R + row[1] * left.G + row[2] * left.B + row[3] * right.R + row[4] * right.G +
                       row[5] * right.B);
}

}  // namespace

Rgb AnaglyphColour(AnaglyphMethod method, Rgb left, Rgb right) {
  switch (method) {
    case AnaglyphMethod::RedGreen:
      return Rgb{GreyLevel(left), GreyLevel(right), 0};
    case AnaglyphMethod::RedBlue:
      return Rgb{GreyLevel(left), 0, GreyLevel(right)};
    case AnaglyphMethod::RedCyan:
      return Rgb{GreyLevel(left), GreyLevel(right), GreyLevel(right)};
    case AnaglyphMethod::RedCyanColour:
      return Rgb{left.R, right.G, right.B};
    case AnaglyphMethod::RedCyanHalfColour:
      return Rgb{GreyLevel(left), right.G, right.B};
    case AnaglyphMethod::RedCyanOptimised:
      break;
  }
  return Rgb{DuboisOf(kDuboisRedCyan[0], left, right), DuboisOf(kDuboisRedCyan[1], left, right),
             DuboisOf(kDuboisRedCyan[2], left, right)};
}

}  // namespace vesk
