#include "colour/lut_color_space.h"

namespace kromel {

void TColorModelPreferences::SetDefault() {
  Gamma = 0;
  RGBToCustom = nullptr;
  CustomToRGB = nullptr;
}

std::string LUTColorSpaceName(int32_t Value) {
  static const char* const Names[] = {"ProfileRGB", "LinearRGB", "LAB", "Custom colorspace"};
  if (static_cast<uint32_t>(Value) <= 3) return Names[Value];
  return "Invalid LCS: " + std::to_string(Value);
}

}  // namespace kromel
