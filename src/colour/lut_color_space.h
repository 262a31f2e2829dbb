// The spaces a LUT's node values can be in, and the record that brings a
// LUT's node values back to display RGB.
#pragma once
#include <cstdint>
#include <string>

#include "colour/colour_types.h"
#include "colour/log_gamma.h"

namespace kromel {

enum TLUTColorSpace : int32_t {
  lcsProfileRGB = 0,
  lcsLinearRGB = 1,
  lcsLAB = 2,
  lcsCustomColorspace = 3,
};

// Copied by value; the procedures are not owned.
struct TColorModelPreferences {
  float Gamma = 0;
  TImageProfile Profile = ipSRGB;
  TRGBToVariableSingleProc RGBToCustom = nullptr;
  TVariableToRGBSingleProc CustomToRGB = nullptr;

  // Clears Gamma and both procedures; Profile keeps its value.
  void SetDefault();
};

// "ProfileRGB", "LinearRGB", "LAB", "Custom colorspace"; any other value
// (compared unsigned) gives "Invalid LCS: " and the signed number.
std::string LUTColorSpaceName(int32_t Value);

}  // namespace kromel
