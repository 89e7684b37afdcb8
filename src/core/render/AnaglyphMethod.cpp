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

}  // namespace vesk
