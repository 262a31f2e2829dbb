// Colour readouts of the picker, the white-balance tool and the colour
// watch (one colour or the difference of two, in fifteen picker modes), and
// the stale flags of the distribution readouts.
#pragma once
#include <cstdint>
#include <string>

#include "colour/cms_hook.h"

namespace kromel {

// Which distribution and histogram backgrounds must be redrawn the next
// time their page is shown. Main thread only.
struct TKromelDistributionCalculator {
  bool ABDistributionStale = false;
  bool CLDistributionStale = false;
  bool CurvesHistogramsStale = false;
  bool Curves2DDistributionStale = false;
  bool MaskHistogramStale = false;
  bool SignalPathStale = false;

  void Invalidate();
};

// Picker modes: 0 "RGB 0..255", 1 "RGB 0..100", 2 "RGB Linear", 3 "HSV",
// 4 "HSL", 5 "HSP", 6 "LAB", 7 "Lch", 8 "MAB", 9 "MXYe", 10 "SXYe",
// 11 "XYZ", 12 "xyY", 13 "YUV", 14 "CMYK".
constexpr int32_t PickerModeCount = 15;
const char* PickerModeName(int32_t Mode);

// Color: red in bits 16..23, green 8..15, blue 0..7; the BGR variants take
// red in bits 0..7. An unsupported mode gives an empty text.
std::string ColorReadoutText(int32_t Color, int32_t Mode);  // modes 0, 1, 3, 5, 6
std::string ColorReadoutTextFloat(int32_t Mode, TCMSTransform Transform, float R, float G,
                                  float B, float Gamma);  // modes 0-3, 5, 6, 8-10
std::string ColorPickerText(int32_t Color, int32_t Mode, TCMSTransform Transform, float Gamma);
std::string ColorPickerTextBGR(int32_t Color, int32_t Mode, TCMSTransform Transform, float Gamma);
// Color1 - Color2.
std::string ColorPickerDeltaText(int32_t Color1, int32_t Color2, int32_t Mode,
                                 TCMSTransform Transform, float Gamma);
std::string ColorPickerDeltaTextBGR(int32_t Color1, int32_t Color2, int32_t Mode,
                                    TCMSTransform Transform, float Gamma);

}  // namespace kromel
