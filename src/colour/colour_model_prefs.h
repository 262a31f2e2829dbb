// One pixel through a LUT's colour-model preferences (display RGB to the
// LUT's space and back), and the polar HSL plane (HSL-Lab) on ready HSL
// values.
#pragma once
#include <string>

#include "colour/hsv_hsl.h"
#include "colour/lut_color_space.h"
#include "images/pixel128.h"

namespace kromel {

// D = S, then display RGB to Space. Linear RGB decodes with Prefs.Profile;
// Lab and the custom space are reported as not implemented (D stays S).
void ConvertGammaToColorspace(const TColorModelPreferences& Prefs, TBGRAPixel128& D,
                              const TBGRAPixel128& S, TLUTColorSpace Space);
// D = S, then Space back to display RGB. Bad settings are reported through
// DebugShowMessage without stopping the conversion; safe on any thread.
void ConvertColorspaceToGamma(const TColorModelPreferences& Prefs, TBGRAPixel128& D,
                              const TBGRAPixel128& S, TLUTColorSpace Space);

// (L, a, b) = (100 L, 100 S cos t, 100 S sin t), t = 2 pi H + pi/4.
TLABAPixel128 HSLtoLabPolar(const THSLPixel128& P);
void LabPolartoHSL(float& H, float& S, float& L, const TLABAPixel128& Q);
// "(H:h, S:s, L:l)" with two decimals.
void HSLToText(const THSLPixel128& P, std::string& Text);
// Round trip of (0.1, 0.2, 0.5); shows "HSL-LAB conversion error!" and
// returns false when a value moves by more than 0.0001.
bool TestHSLLabPolar();

}  // namespace kromel
